// Lyrics for today's players from the main window, offscreen: standard LRC
// saved through its options dialog, the song's own tags written and offered
// on open (an ffmpeg-made MP3 opened through wendax), the encoding picked in
// the open dialog, and characters Shift-JIS lacks on every way text comes in.
#include <QtTest>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "base/command_ids.h"
#include "base/qt/qt_dialogs.h"
#include "base/sjis_codec.h"
#include "export/lyrics_exports.h"
#include "file_bytes.h"
#include "main_window_rig.h"
#include "shell/app_settings.h"
#include "text/song_lyrics_tags.h"

using namespace obrin;

namespace {

using Kind = test::RecordingDialogs::Kind;

const std::filesystem::path kProgramFolder = OBRIN_OUTPUT_DIR;
const std::filesystem::path kSong = OBRIN_MP3_SONG;

// The editor as the program builds it, over the real plug-ins of the output
// folder, with its files in a scratch folder.
struct Fixture : test::MainWindowRig<> {
    Fixture() : MainWindowRig(kProgramFolder) { editor.settings().workFolder = path(""); }

    bool run(CommandId id) { return windows.commands().trigger(id); }
    const test::RecordingDialogs::Call& last(Kind kind) const {
        for (auto it = dialogs.calls.rbegin(); it != dialogs.calls.rend(); ++it)
            if (it->kind == kind) return *it;
        throw std::logic_error("no such dialog shown");
    }
};

}  // namespace

class LyricsExportsGuiTest : public QObject {
    Q_OBJECT
  private slots:
    void standardLrcSavesTheChosenForm_data();
    void standardLrcSavesTheChosenForm();
    void standardLrcCancelledAtItsOptionsAsksNothingMore();
    void assKaraokeSavesWithTheChosenLeadIn();
    void songTagsOfferedOnOpenAndWrittenFromTheMenu();
    void saveChoicesPersistThroughTheSettingsFile_data();
    void saveChoicesPersistThroughTheSettingsFile();
    void encodingPickedInTheOpenDialogReadsTheFileAndIsRemembered();
    void charactersShiftJisLacksAreNamedAndReplacedOnlyOnOk_data();
    void charactersShiftJisLacksAreNamedAndReplacedOnlyOnOk();
};

void LyricsExportsGuiTest::standardLrcSavesTheChosenForm_data() {
    QTest::addColumn<std::vector<int>>("picked");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("defaults") << std::vector<int>{0, 0, 0, 0, 0}
                              << QByteArray(
                                     "[ti:夜明け]\n[ar:歌手]\n[by:me]\n"
                                     "[00:01.00]こんにちは\n[01:01.84]さようなら\n");
    QTest::newRow("every other choice")
        << std::vector<int>{1, 1, 1, 1, 1}
        << QByteArray::fromStdString(
               Utf8ToSjis("[ti:夜明け]\r\n[ar:歌手]\r\n[by:me]\r\n[00:01.000]こんにちは\r\n"
                          "untimed\r\n[01:01.840]<01:01.840>さよう<01:02.500>なら<01:03.000>\r\n"));
}

void LyricsExportsGuiTest::standardLrcSavesTheChosenForm() {
    QFETCH(std::vector<int>, picked);
    QFETCH(QByteArray, bytes);
    Fixture f;
    Document& document = f.editor.document();
    document.setTitle(Utf8ToSjis("夜明け"));
    document.setArtist(Utf8ToSjis("歌手"));
    document.lyrics.assignLines(
        {{.lyricText = Utf8ToSjis("こんにちは"), .timeText = "00:01:50"},
         {.lyricText = "untimed", .timeText = "00:00:00"},
         {.lyricText = Utf8ToSjis("さようなら"),
          .timeText = "01:02:34",
          .units = {.units = {{Utf8ToSjis("さよう"), 6234}, {Utf8ToSjis("なら"), 6300}},
                    .end = 6350}}});
    // An "@Offset=" the editor's own file would apply on reading applies here.
    document.setHeaderLines({"@Offset=-500"});
    f.editor.settings().addTaggingBy = true;
    f.editor.settings().author = "me";
    const auto output = f.folder / "song.lrc";
    f.dialogs.optionAnswers.push_back(picked);
    f.dialogs.fileAnswers.push_back(output.string());

    QVERIFY(f.run(command::kSaveStandardLrc));

    QVERIFY(f.dialogs.errors().empty());
    QCOMPARE(f.dialogs.calls.at(0).kind, Kind::Options);
    QCOMPARE(f.dialogs.calls.at(0).text, std::string(kStandardLrcCaption));
    QCOMPARE(f.dialogs.calls.at(0).choices.size(), size_t(5));
    QCOMPARE(f.dialogs.calls.at(1).kind, Kind::SaveFile);
    QCOMPARE(f.dialogs.calls.at(1).request.defaultExt, std::string("lrc"));
    QCOMPARE(QByteArray::fromStdString(test::ReadBytes(output)), bytes);
    // Remembered: the next dialog starts from the choices made.
    f.dialogs.optionAnswers.push_back({});  // Cancel
    f.run(command::kSaveStandardLrc);
    std::vector<int> shown;
    for (const DialogChoice& choice : f.last(Kind::Options).choices)
        shown.push_back(choice.selected);
    QCOMPARE(shown, picked);
}

void LyricsExportsGuiTest::assKaraokeSavesWithTheChosenLeadIn() {
    Fixture f;
    f.editor.document().lyrics.assignLines(
        {{.lyricText = Utf8ToSjis("うた"), .timeText = "00:01:50"}});
    const auto output = f.folder / "song.ass";
    f.dialogs.optionAnswers.push_back({3});
    f.dialogs.fileAnswers.push_back(output.string());

    QVERIFY(f.run(command::kSaveAssKaraoke));

    QVERIFY(f.dialogs.errors().empty());
    QCOMPARE(f.dialogs.calls.at(0).text, std::string(kAssKaraokeCaption));
    QCOMPARE(f.dialogs.calls.at(0).choices.at(0).selected, 2);  // 1.00 s at first
    QCOMPARE(f.dialogs.calls.at(1).request.defaultExt, std::string("ass"));
    const std::string script = test::ReadBytes(output);
    QVERIFY2(script.find("\nDialogue: 0,0:00:00.00,0:00:11.50,Default,,0,0,0,,{\\k150}{\\kf1000}"
                         "うた\n") != std::string::npos,
             script.c_str());
    // The lead-in chosen is the next default.
    f.dialogs.optionAnswers.push_back({});  // Cancel
    f.run(command::kSaveAssKaraoke);
    QCOMPARE(f.last(Kind::Options).choices.at(0).selected, 3);
}

void LyricsExportsGuiTest::standardLrcCancelledAtItsOptionsAsksNothingMore() {
    Fixture f;
    f.editor.document().lyrics.assign({"x"});
    f.editor.settings().standardLrc.crlf = true;
    QVERIFY(f.run(command::kSaveStandardLrc));
    QCOMPARE(f.dialogs.calls.size(), size_t(1));
    QCOMPARE(f.dialogs.calls[0].choices.at(3).selected, 1);  // CR LF, as remembered
    QVERIFY(f.editor.settings().standardLrc.crlf);
}

void LyricsExportsGuiTest::songTagsOfferedOnOpenAndWrittenFromTheMenu() {
    Fixture f;
    const auto song = f.folder / "song.mp3";
    std::filesystem::copy_file(kSong, song);
    Document tagged;
    tagged.setTitle(Utf8ToSjis("ひかりのうた"));
    tagged.lyrics.assignLines({{.lyricText = Utf8ToSjis("ひかる"), .timeText = "00:00:50"},
                               {.lyricText = Utf8ToSjis("うたう"), .timeText = "00:01:25"}});
    const SongTagResult tagging = WriteSongLyrics(song, SongLyricsFrom(tagged, ""), true);
    QVERIFY2(tagging, tagging.message.c_str());
    QVERIFY2(!f.windows.commands().isEnabled(command::kWriteSongTags), "no song open yet");

    f.dialogs.fileAnswers.push_back(song.string());
    f.dialogs.confirmAnswers.push_back(true);
    QVERIFY(f.run(command::kOpenMusicFile));
    QVERIFY(f.dialogs.errors().empty());
    QCOMPARE(f.dialogs.questions(), std::vector<std::string>{"曲のタグにある歌詞を開きますか?"});
    const Document& document = f.editor.document();
    QCOMPARE(document.lyrics.count(), 2);
    QCOMPARE(document.lyrics.line(1).lyricText, Utf8ToSjis("うたう"));
    QCOMPARE(document.lyrics.line(1).timeText, std::string("00:01:25"));
    QCOMPARE(document.title(), Utf8ToSjis("ひかりのうた"));

    // Retimed and written back into the song's tags.
    f.editor.document().lyrics.setTimeText(1, "00:02:00");
    QVERIFY(f.windows.commands().isEnabled(command::kWriteSongTags));
    f.dialogs.confirmAnswers.push_back(true);
    QVERIFY(f.run(command::kWriteSongTags));
    QCOMPARE(f.dialogs.questions().back(), SongTagsQuestion(song.string()));
    QCOMPARE(f.dialogs.errors(), std::vector<std::string>{});
    QCOMPARE(f.dialogs.informations(), std::vector<std::string>{kSongTagsWrittenMessage});
    const SongLyricsRead read = ReadSongLyrics(song);
    QCOMPARE(read.text, std::string("[ti:ひかりのうた]\n[00:00.50]ひかる\n[00:02.00]うたう\n"));

    // Timed per character: per line until the option 「SYLTを文字単位で書く」
    // is on, with no question besides the first.
    f.editor.document().lyrics.setUnits(
        1, {.units = {{Utf8ToSjis("うた"), 200}, {Utf8ToSjis("う"), 230}}, .end = 260});
    f.dialogs.confirmAnswers.push_back(true);
    QVERIFY(f.run(command::kWriteSongTags));
    QCOMPARE(ReadSongLyrics(song).text,
             std::string("[ti:ひかりのうた]\n[00:00.50]ひかる\n[00:02.00]うたう\n"));
    QAction* perUnit = f.item(QStringLiteral("mnuSyltUnits"));
    QVERIFY(perUnit && !perUnit->isChecked());
    perUnit->trigger();
    QVERIFY(perUnit->isChecked());
    f.dialogs.confirmAnswers.push_back(true);
    QVERIFY(f.run(command::kWriteSongTags));
    QCOMPARE(f.dialogs.errors(), std::vector<std::string>{});
    QCOMPARE(ReadSongLyrics(song).text,
             std::string("[ti:ひかりのうた]\n[00:00.50]ひかる\n"
                         "[00:02.00]<00:02.00>うた<00:02.30>う<00:02.60>\n"));
    QVERIFY2(std::none_of(f.dialogs.calls.begin(), f.dialogs.calls.end(),
                          [](const auto& call) { return call.kind == Kind::Options; }),
             "the option is the answer; nothing more is asked");
    f.editor.document().lyrics.setUnits(1, {});

    // Cancel at the question, and a read-only song: the song stays byte for
    // byte as it was.
    const std::string before = test::ReadBytes(song);
    f.editor.document().lyrics.setTimeText(1, "00:02:50");
    f.dialogs.confirmAnswers.push_back(false);
    f.run(command::kWriteSongTags);
    QCOMPARE(f.dialogs.informations().size(), size_t(3));
    std::filesystem::permissions(song, std::filesystem::perms::owner_read);
    f.dialogs.confirmAnswers.push_back(true);
    f.run(command::kWriteSongTags);
    QCOMPARE(f.dialogs.errors().size(), size_t(1));
    QVERIFY2(f.dialogs.errors()[0].find("読み取り専用") != std::string::npos,
             f.dialogs.errors()[0].c_str());
    QVERIFY(test::ReadBytes(song) == before);
}

void LyricsExportsGuiTest::saveChoicesPersistThroughTheSettingsFile_data() {
    const auto name = [](CommandId id) {
        return QString::fromLatin1(id.objectName().data(),
                                   static_cast<qsizetype>(id.objectName().size()));
    };
    using Remembered = std::function<bool(const AppSettings&)>;
    QTest::addColumn<QString>("item");
    QTest::addColumn<std::vector<int>>("picked");
    QTest::addColumn<QString>("file");  // the save's output, when it asks for one
    QTest::addColumn<Remembered>("remembered");
    QTest::newRow("word tags of standard LRC")
        << name(command::kSaveStandardLrc) << std::vector<int>{0, 0, 0, 0, 1}
        << QStringLiteral("song.lrc")
        << Remembered([](const AppSettings& s) { return s.standardLrc.words; });
    QTest::newRow("ASS lead-in") << name(command::kSaveAssKaraoke) << std::vector<int>{0}
                                 << QStringLiteral("song.ass")
                                 << Remembered(
                                        [](const AppSettings& s) { return s.assLeadInCs == 0; });
    QTest::newRow("SYLT per unit")
        << name(command::kSyltPerUnit) << std::vector<int>{} << QString()
        << Remembered([](const AppSettings& s) { return s.syltPerUnit; });
}

void LyricsExportsGuiTest::saveChoicesPersistThroughTheSettingsFile() {
    QFETCH(QString, item);
    QFETCH(std::vector<int>, picked);
    QFETCH(QString, file);
    QFETCH(std::function<bool(const AppSettings&)>, remembered);
    Fixture f;
    f.editor.loadSettings();
    f.editor.document().lyrics.assignLines(
        {{.lyricText = Utf8ToSjis("うた"),
          .timeText = "00:01:50",
          .units = {.units = {{Utf8ToSjis("う"), 150}, {Utf8ToSjis("た"), 180}}, .end = 200}}});
    if (!picked.empty()) f.dialogs.optionAnswers.push_back(picked);
    if (!file.isEmpty()) f.dialogs.fileAnswers.push_back(f.path(file.toStdString()));
    QAction* action = f.item(item);
    QVERIFY(action);
    action->trigger();
    QCOMPARE(f.dialogs.errors(), std::vector<std::string>{});
    const AppSettings read =
        LoadAppSettings(f.editor.settingsPath(), "tester", f.editor.programFolder());
    QVERIFY(remembered(read));
    QVERIFY(!remembered(DefaultAppSettings(f.editor.programFolder())));
}

void LyricsExportsGuiTest::encodingPickedInTheOpenDialogReadsTheFileAndIsRemembered() {
    Fixture f;
    // こんにちは in EUC-JP: well-formed Shift-JIS too (half-width kana), so
    // only the user's pick reads it right.
    const auto file = f.folder / "euc.txt";
    test::WriteBytes(file, "[00:01:00]\xA4\xB3\xA4\xF3\xA4\xCB\xA4\xC1\xA4\xCF\r\n");
    const auto readWith = [&](int picked) {
        f.dialogs.fileAnswers.push_back(file.string());
        f.dialogs.choiceAnswers.push_back(picked);
        f.run(command::kPasteLyricsFile);
        return f.editor.document().lyrics.line(0).lyricText;
    };
    QVERIFY(readWith(0) != Utf8ToSjis("こんにちは"));
    QCOMPARE(f.last(Kind::OpenFile).choices.at(0).items,
             (std::vector<std::string>{"自動", "Shift-JIS", "UTF-8", "UTF-16", "EUC-JP"}));
    QCOMPARE(f.last(Kind::OpenFile).choices.at(0).selected, 0);
    // Each kind of file is named once, with its patterns as Qt reads them.
    QCOMPARE(QtNameFilters(f.last(Kind::OpenFile).request.filter),
             QStringLiteral("通常歌詞ファイル(*.txt *.lrc);;全てのファイル(*.*)"));
    QCOMPARE(readWith(4), Utf8ToSjis("こんにちは"));
    QCOMPARE(f.editor.document().lyrics.line(0).timeText, std::string("00:01:00"));
    QVERIFY(f.editor.settings().textEncoding == TextEncoding::EucJp);
    f.run(command::kPasteLyricsFile);  // cancelled
    QCOMPARE(f.last(Kind::OpenFile).choices.at(0).selected, 4);
    QVERIFY(f.editor.settings().textEncoding == TextEncoding::EucJp);
}

void LyricsExportsGuiTest::charactersShiftJisLacksAreNamedAndReplacedOnlyOnOk_data() {
    QTest::addColumn<bool>("fromClipboard");
    QTest::addColumn<bool>("ok");
    QTest::newRow("clipboard, OK") << true << true;
    QTest::newRow("clipboard, Cancel") << true << false;
    QTest::newRow("lyrics file, OK") << false << true;
    QTest::newRow("lyrics file, Cancel") << false << false;
}

void LyricsExportsGuiTest::charactersShiftJisLacksAreNamedAndReplacedOnlyOnOk() {
    QFETCH(bool, fromClipboard);
    QFETCH(bool, ok);
    Fixture f;
    f.editor.document().lyrics.assign({"before"});
    f.editor.changes().markSaved();  // no question about unsaved lines first
    const std::string text = "café ♡ 😀 é\n";
    if (fromClipboard) {
        f.clipboard.utf8 = text;
    } else {
        test::WriteBytes(f.folder / "web.txt", text);
        f.dialogs.fileAnswers.push_back((f.folder / "web.txt").string());
    }
    // A plain file without time tags is then offered for the paste.
    f.dialogs.confirmAnswers = {ok, true};
    f.run(fromClipboard ? command::kPasteExpanded : command::kPasteLyricsFile);

    QCOMPARE(f.dialogs.questions().size(), size_t(!fromClipboard && ok ? 2 : 1));
    QVERIFY2(f.dialogs.questions()[0].starts_with("「é」(U+00E9) ほか2文字はShift-JISで表せません"),
             f.dialogs.questions()[0].c_str());
    QVERIFY(f.dialogs.errors().empty());
    const Document& document = f.editor.document();
    if (!ok) {
        QCOMPARE(document.lyrics.count(), 1);
        QCOMPARE(document.lyrics.line(0).lyricText, std::string("before"));
        return;
    }
    QCOMPARE(document.lyrics.line(0).lyricText, Utf8ToSjis("caf・ ・ ・ ・"));
}

QTEST_MAIN(LyricsExportsGuiTest)
#include "lyrics_exports_gui_test.moc"
