// Unsaved changes in the running editor: the question before each action
// that would drop them, the change marker in the title, and the tab "完成型"
// saving what the document holds when marks are made while it shows.
#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <fstream>

#include "base/command_ids.h"
#include "document/qt/control_panel.h"
#include "document/unsaved_changes.h"
#include "file_bytes.h"
#include "main_window_rig.h"
#include "text/completed_text_tab.h"

using namespace obrin;

namespace {

const std::filesystem::path kProgramFolder = OBRIN_OUTPUT_DIR;
const std::filesystem::path kDemoSong = OBRIN_DEMO_SONG;

// The editor over the real program folder (the shipped registry and vellin
// convert the demo song), with folders of its own for the work and files.
struct Fixture : test::MainWindowRig<> {
    explicit Fixture(std::filesystem::path program = kProgramFolder)
        : MainWindowRig(std::move(program)) {
        useScratchSettings();
    }
    // The first show reads the settings; the work folder stays the test's.
    void show() {
        window.show();
        useScratchSettings();
    }
    void useScratchSettings() {
        editor.settings().workFolder = path("");
        editor.settings().confirmExit = false;
    }

    std::string song(const std::string& name) const {
        std::filesystem::copy_file(kDemoSong, path(name));
        return path(name);
    }
    void trigger(CommandId command) { window.action(command)->trigger(); }
    // Two lines, the first marked: a paste would lose a time.
    void timedLyrics() {
        editor.document().lyrics.assign({"first", "second"});
        editor.document().lyrics.setTimeText(0, "00:01:00");
    }
};

enum class Trigger { Close, OpenSong, ReadLyrics, Paste };
enum class Answer { NoChanges, Cancel, No, YesSaved, YesSaveCancelled };

}  // namespace

Q_DECLARE_METATYPE(Trigger)
Q_DECLARE_METATYPE(Answer)

class UnsavedChangesGuiTest : public QObject {
    Q_OBJECT
  private slots:
    void guard_data();
    void guard();
    void pasteOverUntimedLinesDoesNotAsk();
    void titleShowsTheChangeMarker();
    void marksMadeOnTheCompletedTabAreSaved();
    void typedCompletedTextIsAChangeAndKeepsItsBytes();
};

void UnsavedChangesGuiTest::guard_data() {
    QTest::addColumn<Trigger>("trigger");
    QTest::addColumn<Answer>("answer");
    const std::pair<const char*, Trigger> triggers[] = {{"close", Trigger::Close},
                                                        {"open song", Trigger::OpenSong},
                                                        {"read lyrics", Trigger::ReadLyrics},
                                                        {"paste", Trigger::Paste}};
    const std::pair<const char*, Answer> answers[] = {
        {"no changes", Answer::NoChanges},
        {"キャンセル", Answer::Cancel},
        {"いいえ", Answer::No},
        {"はい, saved", Answer::YesSaved},
        {"はい, save dialog cancelled", Answer::YesSaveCancelled}};
    for (const auto& [triggerName, trigger] : triggers) {
        for (const auto& [answerName, answer] : answers) {
            QTest::addRow("%s, %s", triggerName, answerName) << trigger << answer;
        }
    }
}

// Each action that would drop unsaved changes asks first; with none it
// behaves as it always did.
void UnsavedChangesGuiTest::guard() {
    QFETCH(Trigger, trigger);
    QFETCH(Answer, answer);
    // A close writes the settings: into a scratch program folder, not the
    // build's. Opening a song needs the build's registry and plug-in.
    QTemporaryDir scratch;
    Fixture f(trigger == Trigger::Close ? std::filesystem::path(scratch.path().toStdString())
                                        : kProgramFolder);
    f.show();
    f.timedLyrics();
    if (answer == Answer::NoChanges) f.editor.changes().markSaved();

    const std::string song = f.song("song.wav");
    const std::filesystem::path lyrics = f.path("other.txt");
    std::ofstream(lyrics, std::ios::binary) << "[00:02:00]other\r\n";
    f.clipboard.text = "pasted";
    // The file dialogs come first for opening; the save dialog after はい.
    if (trigger == Trigger::OpenSong) f.dialogs.fileAnswers.push_back(song);
    if (trigger == Trigger::ReadLyrics) f.dialogs.fileAnswers.push_back(lyrics.string());
    switch (answer) {
        case Answer::NoChanges:
        case Answer::Cancel:
            break;
        case Answer::No:
            f.dialogs.chooseAnswers.push_back(1);
            break;
        case Answer::YesSaved:
            f.dialogs.chooseAnswers.push_back(0);
            f.dialogs.fileAnswers.push_back(f.path("saved.txt"));
            break;
        case Answer::YesSaveCancelled:
            f.dialogs.chooseAnswers.push_back(0);
            f.dialogs.fileAnswers.push_back(std::nullopt);
            break;
    }

    switch (trigger) {
        case Trigger::Close:
            f.window.close();
            break;
        case Trigger::OpenSong:
            f.trigger(command::kOpenMusicFile);
            break;
        case Trigger::ReadLyrics:
            f.trigger(command::kPasteLyricsFile);
            break;
        case Trigger::Paste:
            f.trigger(command::kPasteExpanded);
            break;
    }

    const bool asked = answer != Answer::NoChanges;
    const bool goesOn =
        answer == Answer::NoChanges || answer == Answer::No || answer == Answer::YesSaved;
    QCOMPARE(f.dialogs.chooseQuestions(),
             asked ? std::vector<std::string>{kSaveChangesQuestion} : std::vector<std::string>{});
    QVERIFY(f.dialogs.errors().empty());
    QCOMPARE(std::filesystem::exists(f.path("saved.txt")), answer == Answer::YesSaved);
    if (answer == Answer::YesSaved) {
        QCOMPARE(test::ReadBytes(f.path("saved.txt")),
                 std::string("[00:01:00]first\r\n[00:00:00]second\r\n\r\n@TimeRatio=1\r\n"));
    }
    const LyricList& lines = f.editor.document().lyrics;
    switch (trigger) {
        case Trigger::Close:
            QCOMPARE(f.window.isVisible(), !goesOn);
            break;
        case Trigger::OpenSong:
            QCOMPARE(f.windows.music().musicFilePath(), goesOn ? song : std::string());
            break;
        case Trigger::ReadLyrics:
            QCOMPARE(lines.line(0).lyricText, std::string(goesOn ? "other" : "first"));
            break;
        case Trigger::Paste:
            QCOMPARE(lines.line(0).lyricText, std::string(goesOn ? "pasted" : "first"));
            break;
    }
    // What was read from a file or saved to one holds no unsaved changes.
    const bool clean = answer == Answer::NoChanges || answer == Answer::YesSaved ||
                       (answer == Answer::No && trigger == Trigger::ReadLyrics);
    if (trigger != Trigger::Paste || !goesOn) {
        QCOMPARE(f.editor.changes().modified(), !clean);
    }
}

void UnsavedChangesGuiTest::pasteOverUntimedLinesDoesNotAsk() {
    Fixture f;
    f.editor.document().lyrics.assign({"untimed"});
    QVERIFY(f.editor.changes().modified());
    f.clipboard.text = "pasted";
    f.trigger(command::kPasteExpanded);
    QVERIFY(f.dialogs.calls.empty());
    QCOMPARE(f.editor.document().lyrics.line(0).lyricText, std::string("pasted"));
}

void UnsavedChangesGuiTest::titleShowsTheChangeMarker() {
    Fixture f;
    f.show();
    QCOMPARE(f.window.windowTitle(), QStringLiteral("obrin"));
    f.timedLyrics();
    QCOMPARE(f.window.windowTitle(), QStringLiteral("*obrin"));
    // A caption set while changed (a song opens) keeps the marker.
    const std::string song = f.song("song.wav");
    f.dialogs.chooseAnswers.push_back(1);
    QVERIFY(f.windows.music().openMusicFile(song));
    QCOMPARE(f.window.windowTitle(), QString::fromStdString("*" + song));
    f.trigger(command::kSaveLyricsBesideMusic);
    QCOMPARE(f.window.windowTitle(), QString::fromStdString(song));
}

// Marks made while the tab "完成型" shows reach the saved file, and the
// document's bytes are written as they are: 纊 as ED 40 and ≒ as 87 90, not
// the forms a trip through Unicode would give them (FA 5C, 81 E0).
void UnsavedChangesGuiTest::marksMadeOnTheCompletedTabAreSaved() {
    Fixture f;
    f.show();
    const std::string song = f.song("song.wav");
    QVERIFY(f.windows.music().openMusicFile(song));
    const std::string duplicates = "\xED\x40\x87\x90";
    f.editor.document().lyrics.assign({"a" + duplicates, "b"});
    f.editor.document().lyrics.select(0);
    f.editor.document().setMarkOffset("0.0");
    f.window.pages()->setCurrentIndex(1);  // the tab "完成型"

    f.player.setPositionForTest(12.5);
    f.window.controlPanel()->markButton()->click();
    f.player.setPositionForTest(15.0);
    f.window.controlPanel()->markButton()->click();
    QVERIFY(f.window.completedText()->toPlainText().contains(QStringLiteral("[00:15:00]b")));

    f.trigger(command::kSaveLyricsBesideMusic);
    QCOMPARE(test::ReadBytes(f.path("song.txt")),
             "[00:12:50]a" + duplicates + "\r\n[00:15:00]b\r\n\r\n@TimeRatio=1\r\n");
    QVERIFY(!f.editor.changes().modified());
}

// Text typed on the tab is unsaved work too; saved, it keeps the bytes of
// what the user did not touch.
void UnsavedChangesGuiTest::typedCompletedTextIsAChangeAndKeepsItsBytes() {
    Fixture f;
    f.show();
    const std::string duplicates = "\xED\x40\x87\x90";
    f.editor.document().lyrics.assign({"a" + duplicates});
    f.editor.changes().markSaved();
    f.window.pages()->setCurrentIndex(1);
    QPlainTextEdit* text = f.window.completedText();
    text->moveCursor(QTextCursor::End);
    QTest::keyClicks(text, QStringLiteral("typed"));
    QVERIFY(f.editor.changes().modified());

    // The document changes too: the user chooses which one is saved.
    f.editor.document().lyrics.setTimeText(0, "00:01:00");
    QVERIFY(!text->toPlainText().contains(QStringLiteral("[00:01:00]")));
    f.dialogs.fileAnswers.push_back(f.path("typed.txt"));
    f.dialogs.chooseAnswers.push_back(1);  // 編集した文章
    f.trigger(command::kSaveLyricsAs);
    QCOMPARE(f.dialogs.chooseQuestions(), std::vector<std::string>{kWhichTextQuestion});
    QCOMPARE(test::ReadBytes(f.path("typed.txt")),
             "[00:00:00]a" + duplicates + "\r\n\r\n@TimeRatio=1\r\ntyped\r\n");
    QVERIFY(!f.editor.changes().modified());
}

QTEST_MAIN(UnsavedChangesGuiTest)
#include "unsaved_changes_gui_test.moc"
