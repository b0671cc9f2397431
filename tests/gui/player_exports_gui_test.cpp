// The two player exports and the batch window, run from their menu items
// offscreen with the real export libraries beside a scratch program folder.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "base/qt/qt_timer.h"
#include "export/export_command.h"
#include "export/qt/batch_window.h"
#include "export/qt/folder_chooser.h"
#include "fake_player.h"
#include "file_bytes.h"
#include "recording_dialogs.h"
#include "scripted_clipboard.h"
#include "shell/editor.h"
#include "shell/qt/editor_windows.h"
#include "shell/qt/main_window.h"

using namespace obrin;

namespace {

const std::string kAudio = "\xFF\xFB\x90\x64 audio";

using test::ReadBytes;
using test::WriteBytes;

struct Fixture {
    Fixture() {
        editor.document().lyrics.assign({"first line", "", "second"});
        editor.document().lyrics.setTimeText(0, "00:01:50");
        editor.document().lyrics.setTimeText(2, "01:02:00");
    }

    QTemporaryDir programDir;
    QTemporaryDir filesDir;
    std::filesystem::path program = programDir.path().toStdString();
    std::filesystem::path files = filesDir.path().toStdString();
    // Before the windows are built: the menu offers the SP250 export only
    // with its library there.
    const bool librariesBeside = [this] {
        for (const char* library : {"marlet.so", "tessary.so"}) {
            std::filesystem::copy_file(std::filesystem::path(OBRIN_OUTPUT_DIR) / library,
                                       program / library);
        }
        return true;
    }();
    test::RecordingDialogs dialogs;
    test::FakePlayer player;
    QtTimerFactory timers;
    test::ScriptedClipboard clipboard;
    Editor editor{{.programFolder = program, .settingsSection = "tester"},
                  dialogs,
                  player,
                  timers,
                  [](const std::string&) { return true; }};
    EditorWindows windows{editor, clipboard};
    MainWindow& window = windows.mainWindow();

    QAction* item(const char* name) const { return window.findChild<QAction*>(name); }
    std::string path(const char* name) const { return (files / name).string(); }
    std::string notice() const { return window.statusBar()->currentMessage().toStdString(); }
};

// Runs `action` on the batch window once it is up, then closes it.
void WhenBatchWindowShows(const std::function<void(BatchWindow&)>& action) {
    QTimer::singleShot(0, [action] {
        auto* form = qobject_cast<BatchWindow*>(QApplication::activeModalWidget());
        QVERIFY(form);
        action(*form);
        form->close();
    });
}

template <typename Widget>
Widget* Child(const QWidget& parent, const char* name) {
    auto* widget = parent.findChild<Widget*>(QString::fromLatin1(name));
    if (!widget) qFatal("no %s", name);
    return widget;
}

QStringList Rows(const QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i) rows << list->item(i)->text();
    return rows;
}

// Each line of the list as its time and text.
QStringList Lines(const LyricList& lyrics) {
    QStringList lines;
    for (int i = 0; i < lyrics.count(); ++i) {
        const LyricLine& line = lyrics.line(i);
        lines << QString::fromStdString(line.timeText + "]" + line.lyricText);
    }
    return lines;
}

}  // namespace

class PlayerExportsGuiTest : public QObject {
    Q_OBJECT
  private slots:
    void sp250FileFromTheMenu();
    void sp250WarningFollowsTheOption_data();
    void sp250WarningFollowsTheOption();
    void lyricMp3FromTheMenu();
    void batchWindowFromTheMenu();
    void batchWindowRefusesOneFolderTwice();
    void batchWindowStartsAtTheLastFolders();
};

void PlayerExportsGuiTest::sp250FileFromTheMenu() {
    Fixture f;
    QVERIFY(f.item("MarletSP250R1")->isEnabled());
    f.dialogs.fileAnswers = {f.path("song.snc")};
    f.item("MarletSP250R1")->trigger();
    QVERIFY(f.dialogs.errors().empty());
    QCOMPARE(f.dialogs.calls.at(0).request.defaultExt, std::string("snc"));
    QCOMPARE(ReadBytes(f.files / "song.snc"), std::string("\xA2\xE2"
                                                          "00000150\xA2\xD0"
                                                          "first line\r\n"
                                                          "\xA2\xE2"
                                                          "00010200\xA2\xD0"
                                                          "second\r\n"));
    QCOMPARE(f.notice(), ExportWrittenNotice(f.path("song.snc")));
}

void PlayerExportsGuiTest::sp250WarningFollowsTheOption_data() {
    QTest::addColumn<int>("length");
    QTest::newRow("too long for the remote control") << 40;
    QTest::newRow("too long for the body too") << 68;
}

void PlayerExportsGuiTest::sp250WarningFollowsTheOption() {
    QFETCH(int, length);
    Fixture f;
    f.editor.document().lyrics.setLyricText(2, std::string(static_cast<size_t>(length), 'x'));
    f.dialogs.fileAnswers = {f.path("song.snc")};
    f.item("MarletSP250R1")->trigger();
    QCOMPARE(f.dialogs.errors(), std::vector<std::string>{"3行目がリモコンへ表示しきれません"});
    QVERIFY(!std::filesystem::exists(f.files / "song.snc"));

    f.item("mnuRioViewRemote")->trigger();  // the warning off
    f.dialogs.fileAnswers = {f.path("song.snc")};
    f.item("MarletSP250R1")->trigger();
    QCOMPARE(f.dialogs.errors().size(), size_t{1});
    QVERIFY(std::filesystem::exists(f.files / "song.snc"));
}

void PlayerExportsGuiTest::lyricMp3FromTheMenu() {
    Fixture f;
    WriteBytes(f.files / "song.mp3", kAudio);
    f.dialogs.fileAnswers = {f.path("song.mp3"), f.path("lyric.mp3")};
    f.item("TessaryY1")->trigger();
    QVERIFY(f.dialogs.errors().empty());
    QCOMPARE(f.dialogs.calls.at(0).text, std::string("合成するMP3ファイル選択"));
    QCOMPARE(f.dialogs.calls.at(1).text, std::string("出力先"));
    const std::string written = ReadBytes(f.files / "lyric.mp3");
    QCOMPARE(written.substr(0, 3), std::string("ID3"));
    QCOMPARE(written.substr(written.size() - kAudio.size()), kAudio);
    QCOMPARE(f.notice(), ExportWrittenNotice(f.path("lyric.mp3")));

    // The source chosen again under another name is refused.
    f.dialogs.fileAnswers = {f.path("song.mp3"), (f.files / "." / "song.mp3").string()};
    f.item("TessaryY1")->trigger();
    QCOMPARE(f.dialogs.errors(), std::vector<std::string>{"同じファイル名は指定できません"});
    QCOMPARE(ReadBytes(f.files / "song.mp3"), kAudio);
}

void PlayerExportsGuiTest::batchWindowFromTheMenu() {
    Fixture f;
    std::filesystem::create_directory(f.files / "in");
    std::filesystem::create_directory(f.files / "out");
    WriteBytes(f.files / "in/a.mp3", kAudio);
    WriteBytes(f.files / "in/a.txt", "[00:01:00]from the txt\r\n");
    WriteBytes(f.files / "in/a.lrc", "@Title=Dawn\r\n[00:01:00]from the lrc\r\n");
    WriteBytes(f.files / "in/b.mp3", kAudio);
    const std::filesystem::path in = f.files / "in";
    const std::filesystem::path out = f.files / "out";
    f.dialogs.inputAnswers = {"made"};
    f.window.titleField()->setText(QStringLiteral("Open song"));
    f.editor.changes().markSaved();
    const QStringList openRows = Lines(f.editor.document().lyrics);

    bool ran = false;
    WhenBatchWindowShows([&](BatchWindow& form) {
        QCOMPARE(form.windowTitle(), QStringLiteral("Tessary一斉出力"));
        QVERIFY(!Child<QCheckBox>(form, "chkSubFolders")->isEnabled());
        QVERIFY(Child<QComboBox>(form, "ComboBox1")->count() >= 1);
        QVERIFY(form.source()->moveTo(in));
        QCOMPARE(Rows(Child<QListWidget>(form, "FileListBox1")),
                 (QStringList{QStringLiteral("a.mp3"), QStringLiteral("b.mp3")}));
        QVERIFY(form.destination()->moveTo(out));
        Child<QPushButton>(form, "btnCreateFolder")->click();
        QCOMPARE(form.destination()->folder(), out / "made");

        auto* status = Child<QLabel>(form, "panStatus");
        auto* start = Child<QPushButton>(form, "btnStart");
        start->click();
        QCOMPARE(status->text(), QStringLiteral("ファイル検索中"));
        QCOMPARE(status->palette().color(QPalette::Window), QColor(Qt::yellow));
        QVERIFY(!start->isEnabled());
        QTRY_VERIFY(!form.running());
        QCOMPARE(status->text(), QStringLiteral("2/2"));
        QCOMPARE(status->palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(start->isEnabled());
        const QString a = QString::fromStdString((in / "a.mp3").string());
        QCOMPARE(Rows(Child<QListWidget>(form, "lstResult")),
                 (QStringList{QStringLiteral("○ ") + a, QStringLiteral("○ ") + a,
                              QStringLiteral("--- 終了 ---")}));
        ran = true;
    });
    f.item("MarletR1")->trigger();
    QVERIFY(ran);
    QVERIFY(f.dialogs.chooseQuestions().empty());
    QVERIFY(f.dialogs.errors().empty());
    const std::string written = ReadBytes(out / "made" / "a.mp3");
    QVERIFY(written.find("from the lrc") != std::string::npos);
    // Each song was read into a document of its own: the open lyrics, their
    // fields and their saved state are as they were, so a save writes them.
    QCOMPARE(Lines(f.editor.document().lyrics), openRows);
    QCOMPARE(f.window.titleField()->text(), QStringLiteral("Open song"));
    QVERIFY(!f.editor.changes().modified());
}

void PlayerExportsGuiTest::batchWindowRefusesOneFolderTwice() {
    Fixture f;
    std::filesystem::create_directory(f.files / "in");
    WriteBytes(f.files / "in/a.mp3", kAudio);
    WriteBytes(f.files / "in/a.txt", "[00:01:00]x\r\n");
    std::filesystem::create_directory_symlink(f.files / "in", f.files / "link");
    f.editor.changes().markSaved();
    WhenBatchWindowShows([&](BatchWindow& form) {
        QVERIFY(form.source()->moveTo(f.files / "in"));
        QVERIFY(form.destination()->moveTo(f.files / "link"));
        Child<QPushButton>(form, "btnStart")->click();
        QVERIFY(!form.running());
        QCOMPARE(Child<QListWidget>(form, "lstResult")->count(), 0);
    });
    f.item("MarletR1")->trigger();
    QCOMPARE(f.dialogs.errors(), std::vector<std::string>{"同じフォルダは指定できません"});
    QCOMPARE(ReadBytes(f.files / "in" / "a.mp3"), kAudio);
}

void PlayerExportsGuiTest::batchWindowStartsAtTheLastFolders() {
    Fixture f;
    f.editor.changes().markSaved();
    const std::filesystem::path in = f.files / "in";
    const std::filesystem::path out = f.files / "out";
    std::filesystem::create_directories(in / "sub");
    std::filesystem::create_directory(out);
    WhenBatchWindowShows([&](BatchWindow& form) {
        QVERIFY(form.source()->moveTo(in));
        QVERIFY(form.destination()->moveTo(out));
        // Enter in the source list moves into the folder and presses no
        // button (フォルダ作成 would ask for a name).
        auto* folders = Child<QListWidget>(form, "FromDirectoryListBox");
        folders->setFocus();
        folders->setCurrentItem(folders->findItems(QStringLiteral("sub"), Qt::MatchExactly).at(0));
        QTest::keyClick(folders, Qt::Key_Return);
        QCOMPARE(form.source()->folder(), in / "sub");
        QVERIFY(f.dialogs.calls.empty());
    });
    f.item("MarletR1")->trigger();
    QCOMPARE(f.editor.settings().batchSourceFolder, (in / "sub").string());
    QCOMPARE(f.editor.settings().batchOutputFolder, out.string());

    bool reopened = false;
    WhenBatchWindowShows([&](BatchWindow& form) {
        QCOMPARE(form.source()->folder(), in / "sub");
        QCOMPARE(form.destination()->folder(), out);
        reopened = true;
    });
    f.item("MarletR1")->trigger();
    QVERIFY(reopened);

    // A remembered folder that is gone leaves the list on the first drive.
    std::filesystem::remove_all(in);
    WhenBatchWindowShows([&](BatchWindow& form) {
        QCOMPARE(form.source()->folder(), std::filesystem::path("/"));
        QCOMPARE(form.destination()->folder(), out);
    });
    f.item("MarletR1")->trigger();
}

QTEST_MAIN(PlayerExportsGuiTest)
#include "player_exports_gui_test.moc"
