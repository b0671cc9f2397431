// 「タイミングの下書き」 from the ツール menu over a generated song: the
// proposal as grey times in one step of the history, 中止, the messages, and
// a mark or 「下書きを確定」 accepting a draft.
#include <QAbstractItemModel>
#include <QFont>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <cmath>
#include <numbers>

#include "base/playback_control.h"
#include "base/time_text.h"
#include "document/line_drafts.h"
#include "document/qt/lyric_list_widget.h"
#include "main_window_rig.h"
#include "playback/qt/draft_dialog.h"
#include "shell/qt/draft_commands.h"
#include "wav_builder.h"

using namespace obrin;

namespace {

constexpr int kRate = 16000;

// A mono song of `seconds` in which a voiced tone (a fundamental with its
// harmonics and a slow vibrato) sings a phrase of 1.6 s every 3 s from 1 s
// on, over silence.
void WriteSungPhrases(const std::filesystem::path& path, double seconds) {
    std::string samples;
    const auto frames = static_cast<long>(seconds * kRate);
    for (long f = 0; f < frames; ++f) {
        const double t = double(f) / kRate;
        const double inPhrase = std::fmod(t - 1.0, 3.0);
        double v = 0.0;
        if (t >= 1.0 && inPhrase < 1.6) {
            const double hz = 220.0 * (1.0 + 0.01 * std::sin(2 * std::numbers::pi * 5.0 * t));
            for (int h = 1; h <= 6; ++h) v += std::sin(2 * std::numbers::pi * hz * h * t) / h;
            v *= 0.3 * std::min(1.0, std::min(inPhrase, 1.6 - inPhrase) / 0.05);
        }
        test::PutSample(samples, v, false, 16);
    }
    test::WriteFile(path, test::RiffWave({{"fmt ", test::FmtBody(test::Tag::Pcm, 1, kRate, 16)},
                                          {"data", samples}}));
}

struct Fixture : test::MainWindowRig<> {
    Document& document = editor.document();
    LyricList& lyrics = document.lyrics;

    // The song as the player would have it: its temporary WAV.
    void load(const std::filesystem::path& wav) {
        player.nextDuration = 20.0;
        windows.timing().playback().loadIntoPlayer(wav.string());
    }
    void lines(const std::vector<std::string>& timeTexts) {
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < timeTexts.size(); ++i) texts.push_back("\x82\xa0\x82\xa2");
        lyrics.assign(texts);
        for (std::size_t i = 0; i < timeTexts.size(); ++i)
            lyrics.setTimeText(static_cast<int>(i), timeTexts[i]);
    }
    std::string linesOf() const {
        std::string out;
        for (const LyricLine& line : lyrics.lines()) {
            out += line.timeText + " " + std::to_string(line.draft.start) + "-" +
                   std::to_string(line.draft.end) + "\n";
        }
        return out;
    }
    QVariant timeCell(int row, int role) const {
        QAbstractItemModel* model = window.lyricList()->model();
        return model->data(model->index(row, LyricListModel::kTimeColumn), role);
    }
    void run(const char* item) { this->item(item)->trigger(); }
};

}  // namespace

class DraftGuiTest : public QObject {
    Q_OBJECT
  private slots:
    void draftsTheUntimedLinesInOneStep();
    void stopLeavesTheDocumentAsItWas();
    void refusals_data();
    void refusals();
    void markAndAcceptTakeTheDraft();
};

void DraftGuiTest::draftsTheUntimedLinesInOneStep() {
    Fixture f;
    f.show();
    WriteSungPhrases(f.folder / "song.wav", 16.0);
    f.load(f.folder / "song.wav");
    f.lines({"00:00:00", "00:04:00", "00:00:00", "00:00:00", "00:00:00"});

    f.run("mnuDraftTiming");
    QCOMPARE(f.dialogs.errors(), std::vector<std::string>{});
    QVERIFY(f.dialogs.informations().at(0).starts_with("4行に下書き"));
    // The anchor gets no draft; the others are drafted in order, within the song.
    QVERIFY(f.lyrics.line(1).draft.empty());
    int last = -1;
    for (int i : {0, 2, 3, 4}) {
        const LineDraft& draft = f.lyrics.line(i).draft;
        QVERIFY2(!draft.empty() && draft.start >= last && draft.start < 1600, f.linesOf().c_str());
        last = draft.start;
    }
    QVERIFY(f.lyrics.line(0).draft.start < 400 && f.lyrics.line(2).draft.start > 400);
    // Shown where the time would be, in grey italics.
    QCOMPARE(f.timeCell(2, Qt::DisplayRole).toString().toStdString(),
             FormatTimeText(f.lyrics.line(2).draft.start * 10));
    QCOMPARE(f.timeCell(2, Qt::ForegroundRole).value<QColor>(), QColor(Qt::gray));
    QVERIFY(f.timeCell(2, Qt::FontRole).value<QFont>().italic());
    QVERIFY(!f.timeCell(1, Qt::ForegroundRole).isValid());

    QCOMPARE(f.document.history.undoCaption(), std::string("タイミングの下書き"));
    f.document.history.undo();
    QVERIFY(!HasDraft(f.lyrics));
    QVERIFY(!f.document.history.canUndo());
}

void DraftGuiTest::stopLeavesTheDocumentAsItWas() {
    Fixture f;
    f.show();
    WriteSungPhrases(f.folder / "song.wav", 120.0);
    f.load(f.folder / "song.wav");
    f.lines({"00:00:00", "00:00:00", "00:00:00"});
    f.lyrics.setDraft(2, {.start = 700, .end = 800});
    const std::string was = f.linesOf();
    bool stopped = false;
    // The first thing the dialog's own event loop does.
    QTimer::singleShot(0, [&f, &stopped] {
        DraftDialog* dialog = f.windows.drafts().dialog();
        if (!dialog) return;
        QTest::mouseClick(dialog->stopButton(), Qt::LeftButton);
        stopped = true;
    });
    f.run("mnuDraftTiming");
    QVERIFY(stopped);
    QCOMPARE(f.linesOf(), was);
    QVERIFY(!f.document.history.canUndo());
    QCOMPARE(f.dialogs.informations(), std::vector<std::string>{});
    QCOMPARE(f.dialogs.errors(), std::vector<std::string>{});
}

void DraftGuiTest::refusals_data() {
    QTest::addColumn<bool>("song");
    QTest::addColumn<QString>("wav");  // the song's WAV: "sung", "noise" or "broken"
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<QString>("error");
    QTest::newRow("no song") << false << "sung" << QStringList{"00:00:00"}
                             << PlaybackControl::kNoMusicFileMessage;
    QTest::newRow("no lyrics") << true << "sung" << QStringList{}
                               << DraftCommands::kNoLyricsMessage;
    QTest::newRow("every line timed")
        << true << "sung" << QStringList{"00:01:00", "00:02:00"} << DraftCommands::kAllTimedMessage;
    QTest::newRow("silence") << true << "silence" << QStringList{"00:00:00", "00:00:00"}
                             << QString("%1\n%2").arg(DraftCommands::kNothingPlacedMessage,
                                                      kNoVoiceMessage);
    QTest::newRow("broken WAV") << true << "broken" << QStringList{"00:00:00"}
                                << DraftCommands::kNothingPlacedMessage;
}

void DraftGuiTest::refusals() {
    QFETCH(bool, song);
    QFETCH(QString, wav);
    QFETCH(QStringList, times);
    QFETCH(QString, error);
    Fixture f;
    f.show();
    const std::filesystem::path path = f.folder / "song.wav";
    if (wav == "sung") WriteSungPhrases(path, 5.0);
    if (wav == "silence") {
        test::WriteFile(path, test::RiffWave({{"fmt ", test::FmtBody(test::Tag::Pcm, 1, kRate, 16)},
                                              {"data", std::string(kRate * 2 * 5, '\0')}}));
    }
    if (wav == "broken") test::WriteFile(path, "RIFF not a wave");
    if (song) f.load(path);
    std::vector<std::string> timeTexts;
    for (const QString& time : times) timeTexts.push_back(time.toStdString());
    f.lines(timeTexts);
    const std::string was = f.linesOf();

    f.run("mnuDraftTiming");
    QCOMPARE(f.dialogs.errors().size(), 1u);
    // A reason may follow the message's own first lines.
    QVERIFY2(f.dialogs.errors()[0].starts_with(error.toStdString()), f.dialogs.errors()[0].c_str());
    QCOMPARE(f.linesOf(), was);
    QVERIFY(!f.document.history.canUndo());
}

void DraftGuiTest::markAndAcceptTakeTheDraft() {
    Fixture f;
    f.show();
    WriteSungPhrases(f.folder / "song.wav", 5.0);
    f.load(f.folder / "song.wav");
    f.lines({"00:00:00", "00:00:00", "00:00:00"});
    QVERIFY(!f.item("mnuAcceptAllDrafts")->isEnabled());
    {
        const UndoHistory::Step step = f.document.history.beginStep("タイミングの下書き");
        f.lyrics.setDraft(0, {.start = 150, .end = 250});
        f.lyrics.setDraft(1, {.start = 300, .end = 350});
        f.lyrics.setDraft(2, {.start = 400, .end = 600});
    }
    QVERIFY(f.item("mnuAcceptAllDrafts")->isEnabled());

    // A mark on a drafted line replaces its draft with the mark's time.
    f.document.setMarkOffset("0.0");
    f.lyrics.select(0);
    f.player.setPositionForTest(1.23);
    QTest::mouseClick(f.window.widget<QPushButton>("Button2"), Qt::LeftButton);
    QCOMPARE(f.lyrics.line(0).timeText, std::string("00:01:23"));
    QVERIFY(f.lyrics.line(0).draft.empty());
    QVERIFY(!f.timeCell(0, Qt::ForegroundRole).isValid());

    // The selection's drafts, then the rest.
    f.run("mnuAcceptDraft");
    QCOMPARE(f.lyrics.line(1).timeText, std::string("00:03:00"));
    QCOMPARE(f.lyrics.line(2).draft.start, 400);
    f.run("mnuAcceptAllDrafts");
    QCOMPARE(f.lyrics.line(2).timeText, std::string("00:04:00"));
    QVERIFY(!HasDraft(f.lyrics));
    QVERIFY(!f.item("mnuAcceptAllDrafts")->isEnabled());
    QCOMPARE(f.document.history.undoCaption(), std::string("下書きを確定"));
}

QTEST_MAIN(DraftGuiTest)
#include "draft_gui_test.moc"
