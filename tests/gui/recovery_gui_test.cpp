// Text typed into the tab "完成型" survives an abnormal end: typing starts
// the autosave, the recovery file keeps the text, and the next start puts it
// back into the tab as typed text, which a save then writes.
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "base/command_ids.h"
#include "base/sjis_codec.h"
#include "fake_timers.h"
#include "file_bytes.h"
#include "main_window_rig.h"
#include "shell/autosave.h"

using namespace obrin;

namespace {

constexpr int kCompletedTab = 1;

// The editor as the program starts it, keeping its recovery file in `work`.
struct Fixture : test::MainWindowRig<test::FakeTimerFactory> {
    void start(const std::filesystem::path& work) {
        editor.keepRecoveryFile();
        window.show();  // the start-up steps read the settings
        editor.settings().workFolder = work.string() + "/";
        editor.settings().confirmExit = false;
        QCOMPARE(windows.handleCommandLine({}), StartUpAction::Continue);
    }
    QPlainTextEdit& text() { return *window.completedText(); }
};

}  // namespace

class RecoveryGuiTest : public QObject {
    Q_OBJECT
  private slots:
    void typedTextComesBackIntoTheTab_data();
    void typedTextComesBackIntoTheTab();
};

void RecoveryGuiTest::typedTextComesBackIntoTheTab_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("encodable");
    QTest::newRow("Shift-JIS") << QStringLiteral("手で直した 纊\n2行目") << true;
    // Kept as typed; the save refuses them, as it would have before the end.
    QTest::newRow("no Shift-JIS form") << QStringLiteral("€ \U0001F3B5") << false;
}

void RecoveryGuiTest::typedTextComesBackIntoTheTab() {
    QFETCH(QString, typed);
    QFETCH(bool, encodable);
    QTemporaryDir work;
    const std::filesystem::path workFolder = work.path().toStdString();

    Fixture first;
    first.start(workFolder);
    first.editor.document().lyrics.assign({"a"});
    first.editor.changes().markSaved();
    first.window.pages()->setCurrentIndex(kCompletedTab);
    first.text().moveCursor(QTextCursor::End);
    QTest::keyClicks(&first.text(), QStringLiteral("typed "));
    first.text().insertPlainText(typed);  // as a paste would
    QVERIFY(first.editor.changes().modified());
    first.timers.advance(Autosave::kLatestMs);
    first.editor.settleRecoveryFile();
    QVERIFY(std::filesystem::exists(first.editor.recoveryFilePath()));
    const QString shown = first.text().toPlainText();
    // The first editor ends without its close; a second start takes its work.

    Fixture second;
    second.dialogs.confirmAnswers.push_back(true);
    second.start(workFolder);
    QCOMPARE(second.dialogs.questions(), std::vector<std::string>{kRecoverQuestion});
    QCOMPARE(second.editor.document().lyrics.line(0).lyricText, std::string("a"));
    QCOMPARE(second.window.pages()->currentIndex(), kCompletedTab);
    QCOMPARE(second.text().toPlainText(), shown);
    QVERIFY(second.editor.changes().modified());

    const std::string saved = second.path("saved.txt");
    second.dialogs.fileAnswers.push_back(saved);
    second.window.action(command::kSaveLyricsAs)->trigger();
    QVERIFY(second.dialogs.chooseQuestions().empty());  // only the text was typed
    if (encodable) {
        QVERIFY(second.dialogs.errors().empty());
        QCOMPARE(test::ReadBytes(saved),
                 "[00:00:00]a\r\n\r\n@TimeRatio=1\r\ntyped " +
                     Utf8ToSjis(typed.replace(u'\n', "\r\n").toStdString()) + "\r\n");
        QVERIFY(!second.editor.changes().modified());
    } else {
        QCOMPARE(second.dialogs.errors().size(), std::size_t{1});
        QVERIFY(!std::filesystem::exists(saved));
        QVERIFY(second.editor.changes().modified());
    }
}

QTEST_MAIN(RecoveryGuiTest)
#include "recovery_gui_test.moc"
