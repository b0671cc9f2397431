#include "shell/qt/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include "base/command_ids.h"
#include "base/command_table.h"
#include "base/qt/command_actions.h"
#include "document/qt/control_panel.h"
#include "document/qt/lyric_list_widget.h"
#include "file_bytes.h"
#include "jis_keys.h"
#include "main_window_rig.h"
#include "obrin_version.h"
#include "playback/qt/waveform_strip.h"
#include "shell/qt/assigned_keys.h"
#include "shell/qt/timing_binding.h"
#include "shell/qt/undo_keys.h"
#include "test_exporter.h"

using namespace obrin;

namespace {

// One editor with its main window over a scratch program folder.
struct Fixture : test::MainWindowRig<> {
    void writeFile(const std::filesystem::path& path, const std::string& content = "x") {
        std::filesystem::create_directories(path.parent_path());
        test::WriteBytes(path, content);
    }
    // A song in the player 12.5 s in and two untimed lines, the first
    // selected.
    void readyToMark() {
        windows.timing().playback().loadIntoPlayer(path("song.wav"));
        player.setPositionForTest(12.5);
        editor.document().lyrics.assign({"a", "b"});
        editor.document().lyrics.select(0);
    }
    bool marked() const { return editor.document().lyrics.line(0).timeText == "00:11:50"; }
};

bool HasItem(const QWidget& widget, const QString& name) {
    return std::ranges::any_of(widget.actions(),
                               [&name](const QAction* a) { return a->objectName() == name; });
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void startsAsDesigned();
    void focusComesBackAfterTheWindowWasDisabled();
    void controlStartsAs_data();
    void controlStartsAs();
    void topLevelMenu_data();
    void topLevelMenu();
    void menuItemsAreTheirCommands();
    void menuItemsRunTheirCommands();
    void oneItemPerCommand();
    void itemsFollowTheDocumentWithoutAMenuOpening();
    void exportsBecomeFileMenuItems();
    void aboutShowsInertVersionItem();
    void singleSp250SaveNeedsItsLibrary_data();
    void singleSp250SaveNeedsItsLibrary();
    void optionItemsWriteThroughToSettings();
    void restoresOptionsFromSettingsFile();
    void closingWithoutQuestionRemovesTemporaryWav();
    void closingSavesWhatTheUserChanged();
    void settingsAreSavedAsTheyChange();
    void closingAnsweredCancelKeepsEverything();
    void closingAnsweredOkCloses();
    void assignedKey_data();
    void assignedKey();
    void assignedKeyTriggersItsCommand_data();
    void assignedKeyTriggersItsCommand();
    void keyDialogRecordsVirtualKeys();
    void defaultKeysMarkAndPlay();
    void jisKeyTriggersItsCommand_data();
    void jisKeyTriggersItsCommand();
    void focusGoesWhereTheKeysAct_data();
    void focusGoesWhereTheKeysAct();
    void workFolderItemShowsTheChosenFolder();
    void fontItemsSaveForTheNextStart_data();
    void fontItemsSaveForTheNextStart();
    void listColumnWidthsSurviveARestart();
    void helpMissingShowsError();
    void helpPresentIsOpened();
    void karaokeTabRubyButtonOpensTheRubyDialog();
};

void MainWindowTest::focusComesBackAfterTheWindowWasDisabled() {
    Fixture f;
    f.show();
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    auto* mark = f.window.widget<QWidget>("Button2");
    QTRY_COMPARE(QApplication::focusWidget(), mark);
    f.window.setEnabled(false);  // as while a song converts
    f.window.setEnabled(true);
    QTRY_COMPARE(QApplication::focusWidget(), mark);

    auto* bar = f.window.widget<QWidget>("btnStop");
    bar->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), bar);
    f.window.setEnabled(false);
    f.window.setEnabled(true);
    QTRY_COMPARE(QApplication::focusWidget(), bar);
}

void MainWindowTest::startsAsDesigned() {
    Fixture f;
    f.show();
    QCOMPARE(f.window.windowTitle(), QStringLiteral("obrin"));
    // The designed size, grown by the waveform strip, shown at first, and by
    // the status bar.
    QCOMPARE(f.window.size(), QSize(640, 580 + WaveformStrip::kHeight + 2 +
                                             f.window.statusBar()->sizeHint().height()));
    QCOMPARE(f.window.focusWidget(), f.window.widget<QWidget>("Button2"));
    auto* pages = f.window.widget<QTabWidget>("PageControl");
    QVERIFY(pages);
    QCOMPARE(pages->count(), 3);
    QCOMPARE(pages->tabText(0), QStringLiteral("リスト"));
    QCOMPARE(pages->tabText(1), QStringLiteral("完成型"));
    QCOMPARE(pages->tabText(2), QStringLiteral("カラオケ"));
    for (const char* name :
         {"edtTitle", "edtArtist", "List", "Memo", "Text", "Panel2", "pnlWaveform"}) {
        QVERIFY2(f.window.widget<QWidget>(name), name);
    }
    // The position bar turns green on the first show.
    QCOMPARE(f.window.widget<QProgressBar>("pbrPosition")->palette().color(QPalette::Highlight),
             QColor(0, 128, 0));
    // Settings are read on the first show: the MarkOffset placeholder is gone.
    QCOMPARE(f.window.widget<QLabel>("panMark")->text(), QStringLiteral("-1.0"));
}

void MainWindowTest::controlStartsAs_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("visible");
    const auto row = [](const char* name, const char* text, bool visible = true) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(text) << visible;
    };
    row("panCurrentPos", "00:00:00");
    row("panTotalPos", "00:00:00");
    row("panSeekPos", "00:00:00");
    row("btnPlayStop", "再生");
    row("btnStop", "停止");
    row("lblPitch", "ピッチ（100%)");
    row("Label2", "ボリューム");
    row("Button2", "マーク");
    row("Button1", "一つ前をチェック");
    row("Button3", "チェック");
    row("Button4", "前後");
    row("Button5", "すべて");
    row("btnMove_p0_1", "0.1秒進む");
    row("btnMove_p1_0", "1.0秒進む");
    row("btnMove_p10", "10秒進む");
    row("btnMove_b0_1", "0.1秒戻る");
    row("btnMove_b1_0", "1.0秒戻る");
    row("btnMove_b10", "10秒戻る");
    row("btnMove_p0_5", "0.5秒進む", false);
    row("btnMove_p3_0", "3.0秒進む", false);
    row("btnMove_p5_0", "5.0秒進む", false);
    row("btnMove_b0_5", "0.5秒戻る", false);
    row("btnMove_b3_0", "3.0秒戻る", false);
    row("btnMove_b5_0", "5.0秒戻る", false);
    row("chkHosei", "ﾘｽﾄ編集");
}

void MainWindowTest::controlStartsAs() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(bool, visible);
    Fixture f;
    f.show();
    QWidget* control = f.window.findChild<QWidget*>(name);
    QVERIFY(control);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        QCOMPARE(label->text(), text);
    } else {
        QCOMPARE(qobject_cast<QAbstractButton*>(control)->text(), text);
    }
    QCOMPARE(control->isVisible(), visible);
}

void MainWindowTest::topLevelMenu_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("visible");
    QTest::newRow("file") << QStringLiteral("ファイル(&F)") << true;
    QTest::newRow("edit") << QStringLiteral("編集(&E)") << true;
    QTest::newRow("paste") << QStringLiteral("歌詞貼り付け(&P)") << true;
    QTest::newRow("correction") << QStringLiteral("補正(&R)") << false;
    QTest::newRow("options") << QStringLiteral("オプション(&O)") << true;
    QTest::newRow("tools") << QStringLiteral("ツール(&T)") << true;
    QTest::newRow("commands") << QStringLiteral("コマンド(&C)") << false;
    QTest::newRow("view") << QStringLiteral("表示(&V)") << false;
    QTest::newRow("help") << QStringLiteral("ヘルプ(&H)") << true;
}

void MainWindowTest::topLevelMenu() {
    QFETCH(QString, caption);
    QFETCH(bool, visible);
    Fixture f;
    f.show();
    const QList<QAction*> menus = f.window.menuBar()->actions();
    const auto it =
        std::find_if(menus.begin(), menus.end(), [&](QAction* a) { return a->text() == caption; });
    QVERIFY(it != menus.end());
    QCOMPARE((*it)->isVisible(), visible);
}

namespace {

// Every QAction below `menu`, submenus included, with the captions of the
// menus above it.
void CollectItems(const QList<QAction*>& level, const QString& path,
                  QList<std::pair<QString, QAction*>>& items) {
    for (QAction* action : level) {
        if (action->isSeparator()) continue;
        if (QMenu* sub = action->menu()) {
            CollectItems(sub->actions(), path + u'/' + action->text(), items);
        } else {
            items.push_back({path, action});
        }
    }
}

}  // namespace

void MainWindowTest::menuItemsAreTheirCommands() {
    Fixture f;
    f.show();
    QList<std::pair<QString, QAction*>> items;
    CollectItems(f.window.menuBar()->actions(), QString(), items);
    QSet<QString> placed;
    for (const auto& [path, action] : items) {
        const QString name = action->objectName();
        placed << name;
        const auto entry = std::ranges::find_if(
            f.windows.commands().commands(),
            [&](const Command& c) { return QString::fromLatin1(c.id.objectName()) == name; });
        if (entry == f.windows.commands().commands().end()) continue;  // an inert item
        QVERIFY2(!entry->caption.empty() || name == "mnuTempPath", qPrintable(name));
        if (name != "mnuTempPath") QCOMPARE(action->text(), QString::fromStdString(entry->caption));
        QCOMPARE(action->shortcut(), QKeySequence(QString::fromStdString(entry->shortcut)));
        QCOMPARE(action->isCheckable(), static_cast<bool>(entry->checked));
        if (entry->checked) QCOMPARE(action->isChecked(), entry->checked());
        QCOMPARE(action->isEnabled(), f.windows.commands().isEnabled(entry->id));
    }
    // Every command is reachable: a menu item, an item of one of the two
    // context menus, or a button.
    for (const Command& command : f.windows.commands().commands()) {
        const QString name = QString::fromLatin1(command.id.objectName());
        const bool reachable =
            placed.contains(name) || HasItem(*f.windows.timingBinding().contextMenu(), name) ||
            HasItem(*f.window.completedText(), name) || f.window.findChild<QAbstractButton*>(name);
        QVERIFY2(reachable, qPrintable(name));
    }
}

void MainWindowTest::menuItemsRunTheirCommands() {
    Fixture f;
    f.show();
    f.item("mnuStar")->trigger();  // a check mark
    QVERIFY(!f.editor.settings().expandRepeats);
    QVERIFY(!f.item("mnuStar")->isChecked());
    f.clipboard.text = "a\r\nb\r\n";
    f.item("N3")->trigger();  // a command of the lyrics side
    QCOMPARE(f.editor.document().lyrics.line(1).lyricText, std::string("b"));
    f.item("H1")->trigger();  // a command of the shell
    QCOMPARE(f.dialogs.errors(), std::vector<std::string>{"ヘルプが見つかりません"});
    // A disabled item stays disabled whatever is clicked.
    QVERIFY(!f.item("T1")->isEnabled());
    QVERIFY(!f.windows.commands().trigger(command::kSaveTagInformation));
}

// The menu bar, the list's context menu, the list's keys and the completed
// text all place the window's one item of a command.
void MainWindowTest::oneItemPerCommand() {
    Fixture f;
    f.show();
    QList<std::pair<QString, QAction*>> items;
    CollectItems(f.window.menuBar()->actions(), QString(), items);
    for (const QWidget* holder : {static_cast<QWidget*>(f.windows.timingBinding().contextMenu()),
                                  static_cast<QWidget*>(f.window.lyricList()),
                                  static_cast<QWidget*>(f.window.completedText())}) {
        for (QAction* action : holder->actions()) items.push_back({QString(), action});
    }
    for (const Command& command : f.windows.commands().commands()) {
        const QString name = QString::fromLatin1(command.id.objectName());
        const QList<QAction*> made = f.window.findChildren<QAction*>(name);
        QVERIFY2(made.size() <= 1, qPrintable(name));
        for (const auto& [path, action] : items) {
            if (action->objectName() == name)
                QCOMPARE(action, f.windows.actions().action(command.id));
        }
    }
    QVERIFY(HasItem(*f.windows.timingBinding().contextMenu(), "mnuShiftTimes"));
    QCOMPARE(f.window.findChildren<QAction*>("mnuShiftTimes").size(), 1);
}

// A selection, an edit and its undo change what the items offer at once,
// for their keys as much as for a menu that opens later.
void MainWindowTest::itemsFollowTheDocumentWithoutAMenuOpening() {
    Fixture f;
    f.show();
    LyricList& lyrics = f.editor.document().lyrics;
    QAction* remove = f.window.action(command::kDeleteLines);
    QAction* merge = f.window.action(command::kMergeWithNext);
    QAction* undo = f.window.action(command::kUndo);
    QAction* shift = f.window.action(command::kShiftTimes);
    QVERIFY(!shift->isEnabled());
    lyrics.assign({"a", "b"});
    QVERIFY(shift->isEnabled());
    QVERIFY(!remove->isEnabled());
    lyrics.select(0);
    QVERIFY(remove->isEnabled());
    QVERIFY(merge->isEnabled());
    lyrics.clearSelection();
    lyrics.select(1);
    QVERIFY(!merge->isEnabled());
    QVERIFY(!undo->isEnabled());
    remove->trigger();
    QCOMPARE(lyrics.count(), 1);
    QVERIFY(undo->isEnabled());
    QVERIFY(!remove->isEnabled());  // the deleted line took the selection with it
    undo->trigger();
    QCOMPARE(lyrics.count(), 2);
    QVERIFY(!undo->isEnabled());
}

// Every export of the editor's table is an item under ファイル, with the
// export's caption, that runs it.
void MainWindowTest::exportsBecomeFileMenuItems() {
    Fixture f;
    f.show();
    QList<QAction*> file;
    for (QList<QMenu*> menus{f.window.menuBar()->actions().first()->menu()}; !menus.empty();) {
        for (QAction* action : menus.takeFirst()->actions()) {
            file << action;
            if (action->menu()) menus << action->menu();
        }
    }
    QCOMPARE(f.windows.exports().exporters().size(), size_t{5});
    for (const auto& exporter : f.windows.exports().exporters()) {
        const ExportDescription& description = exporter->description();
        QAction* item = f.window.action(description.command);
        QVERIFY2(file.contains(item), std::string(description.command.objectName()).c_str());
        QCOMPARE(item->text(), QString::fromStdString(description.caption));
    }

    f.editor.document().lyrics.assign({"a"});
    f.dialogs.fileAnswers = {f.path("song.mp3"), f.path("out.mp3")};
    f.item("TessaryY1")->trigger();
    QCOMPARE(f.dialogs.errors(), std::vector<std::string>{"tessary.dllが見つかりません"});
}

void MainWindowTest::aboutShowsInertVersionItem() {
    Fixture f;
    f.show();
    QMenu* about = f.window.findChild<QAction*>(QStringLiteral("About1"))->menu();
    QVERIFY(about);
    QCOMPARE(about->actions().size(), 1);
    QCOMPARE(about->actions().first()->text(),
             QStringLiteral("obrin version " OBRIN_VERSION "(&V)"));
    about->actions().first()->trigger();
    QVERIFY(f.dialogs.calls.empty());
    QVERIFY(f.window.isVisible());
}

void MainWindowTest::singleSp250SaveNeedsItsLibrary_data() {
    QTest::addColumn<bool>("libraryPresent");
    QTest::newRow("without marlet") << false;
    QTest::newRow("with marlet") << true;
}

void MainWindowTest::singleSp250SaveNeedsItsLibrary() {
    QFETCH(bool, libraryPresent);
    Fixture f;
    if (libraryPresent) f.writeFile(f.programFolder() / "marlet.so");
    f.show();
    QCOMPARE(f.item("MarletSP250R1")->isEnabled(), libraryPresent);
    QVERIFY(f.item("MarletR1")->isEnabled());  // the batch is never gated
}

void MainWindowTest::optionItemsWriteThroughToSettings() {
    Fixture f;
    f.show();
    f.item("mnuStar")->trigger();
    QCOMPARE(f.editor.settings().expandRepeats, false);
    f.item("mnuKeyValue")->trigger();
    QVERIFY(f.editor.settings().songInfo == SongInfoMode::KeyValue);
    QCOMPARE(f.item("mnuInfoAtMark")->isChecked(), false);
    f.item("N17")->trigger();
    QVERIFY(f.editor.settings().existingLyrics == ExistingLyrics::DoNothing);
    f.item("N23")->trigger();
    QCOMPARE(f.editor.settings().gridLines, false);
    QCOMPARE(f.window.widget<QTableView>("List")->showGrid(), false);
}

void MainWindowTest::restoresOptionsFromSettingsFile() {
    Fixture f;
    const auto work = f.programFolder() / "work & play";
    std::filesystem::create_directories(work);
    f.writeFile(f.programFolder() / "obrin.ini",
                "[someone else]\r\nmnuStar.Checked=1\r\n"
                "[tester]\r\nmnuStar.Checked=0\r\nmnuInfoFirst.Checked=1\r\n"
                "mnuKeyValue.Checked=1\r\nly1=0\r\nly2=0\r\nly3=0\r\nmnuGrid=0\r\n"
                "panMark.Caption=2.5\r\nchkHosei.Checked=1\r\nmnuChkTerminate.Checked=0\r\n"
                "mnuRioViewBody.Checked=1\r\ntempPath=" +
                    work.string() + "\r\n");
    f.show();
    QVERIFY(!f.item("mnuStar")->isChecked());
    // Two song-information items marked: the later one in the file's order wins.
    QVERIFY(!f.item("mnuInfoAtMark")->isChecked());
    QVERIFY(!f.item("mnuInfoFirst")->isChecked());
    QVERIFY(f.item("mnuKeyValue")->isChecked());
    // No existing-lyrics item marked: none is checked.
    for (const char* item : {"A3", "E1", "N17"}) QVERIFY2(!f.item(item)->isChecked(), item);
    QVERIFY(!f.item("N23")->isChecked());
    QVERIFY(!f.window.widget<QTableView>("List")->showGrid());
    QVERIFY(!f.item("T6")->isChecked());
    QVERIFY(f.item("mnuRioViewBody")->isChecked());
    QCOMPARE(f.window.widget<QLabel>("panMark")->text(), QStringLiteral("2.5"));
    QVERIFY(f.window.widget<QCheckBox>("chkHosei")->isChecked());
    QVERIFY(f.editor.document().listEditMode());
    // The work folder is the item's caption; its "&" is shown, not a mnemonic.
    QCOMPARE(f.item("mnuTempPath")->text(),
             QString::fromStdString((work / "").string()).replace(u'&', QStringLiteral("&&")));
    QCOMPARE(f.editor.temporaryWavPath(), work / "obrin_temp.wav");
}

void MainWindowTest::closingSavesWhatTheUserChanged() {
    Fixture f;
    f.show();
    f.item("T6")->trigger();
    f.item("mnuStar")->trigger();
    f.item("A3")->trigger();
    qobject_cast<QAbstractButton*>(f.window.widget<QWidget>("SpinButtonUp"))->click();
    f.window.widget<QCheckBox>("chkHosei")->click();
    QVERIFY(f.window.close());

    const AppSettings saved =
        LoadAppSettings(f.programFolder() / "obrin.ini", "tester", f.programFolder());
    QCOMPARE(saved.confirmExit, false);
    QCOMPARE(saved.expandRepeats, false);
    QVERIFY(saved.existingLyrics == ExistingLyrics::OpenAutomatically);
    QCOMPARE(saved.markOffsetText, std::string("-0.9"));
    QCOMPARE(saved.listEditMode, true);
    QCOMPARE(saved.dropRepeatedBlankLines, true);
}

// Nothing is lost to a crash: each change is in the file before the next.
void MainWindowTest::settingsAreSavedAsTheyChange() {
    Fixture f;
    f.show();
    const auto saved = [&f] {
        return LoadAppSettings(f.programFolder() / "obrin.ini", "tester", f.programFolder());
    };
    f.item("T6")->trigger();
    QCOMPARE(saved().confirmExit, false);
    f.item("A3")->trigger();
    QVERIFY(saved().existingLyrics == ExistingLyrics::OpenAutomatically);
    qobject_cast<QAbstractButton*>(f.window.widget<QWidget>("SpinButtonUp"))->click();
    QCOMPARE(saved().markOffsetText, std::string("-0.9"));
    f.window.widget<QCheckBox>("chkHosei")->click();
    QCOMPARE(saved().listEditMode, true);
    QTimer::singleShot(0, this, [] {
        QWidget* form = QApplication::activeModalWidget();
        QVERIFY(form);
        QTest::keyClick(form->findChild<QLineEdit*>(QStringLiteral("Edit1")), Qt::Key_Shift);
        form->close();
    });
    f.item("K1")->trigger();
    QCOMPARE(saved().keyMark, 16);
    QVERIFY(f.dialogs.errors().empty());
}

void MainWindowTest::closingWithoutQuestionRemovesTemporaryWav() {
    Fixture f;
    f.show();
    f.item("T6")->trigger();  // no exit question
    const auto wav = f.programFolder() / "obrin_temp.wav";
    f.writeFile(wav);
    f.item("Exit1")->trigger();
    QVERIFY(!f.window.isVisible());
    QVERIFY(f.dialogs.calls.empty());
    QVERIFY(!std::filesystem::exists(wav));
}

void MainWindowTest::closingAnsweredCancelKeepsEverything() {
    Fixture f;
    f.show();
    const auto wav = f.programFolder() / "obrin_temp.wav";
    f.writeFile(wav);
    f.dialogs.confirmAnswers = {false};
    QVERIFY(!f.window.close());
    QVERIFY(f.window.isVisible());
    QCOMPARE(f.dialogs.questions(), std::vector<std::string>{"obrinを終了しますか?"});
    QVERIFY(std::filesystem::exists(wav));
    QVERIFY(!std::filesystem::exists(f.programFolder() / "obrin.ini"));
}

void MainWindowTest::closingAnsweredOkCloses() {
    Fixture f;
    f.show();
    f.dialogs.confirmAnswers = {true};
    QVERIFY(f.window.close());
    QCOMPARE(f.dialogs.questions().size(), size_t{1});
}

void MainWindowTest::assignedKey_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("markKey");
    QTest::addColumn<int>("playKey");
    QTest::addColumn<QString>("done");  // "mark", "play" or nothing
    const int none = Qt::NoModifier;
    QTest::newRow("mark") << "Button3" << int(Qt::Key_M) << none << int('M') << 0 << "mark";
    QTest::newRow("shift plays no part")
        << "Button3" << int(Qt::Key_M) << int(Qt::ShiftModifier) << int('M') << 0 << "mark";
    QTest::newRow("play") << "Button3" << int(Qt::Key_Space) << none << int('M') << 0x20 << "play";
    QTest::newRow("function key") << "btnStop" << int(Qt::Key_F5) << none << 0x74 << 0 << "mark";
    QTest::newRow("same key marks, never plays")
        << "Button3" << int(Qt::Key_M) << none << int('M') << int('M') << "mark";
    QTest::newRow("unassigned key") << "Button3" << int(Qt::Key_X) << none << int('M') << 0 << "";
    QTest::newRow("no keys assigned") << "Button3" << int(Qt::Key_M) << none << 0 << 0 << "";
    QTest::newRow("in the list") << "List" << int(Qt::Key_M) << none << int('M') << 0 << "";
    QTest::newRow("in the title") << "edtTitle" << int(Qt::Key_M) << none << int('M') << 0 << "";
    QTest::newRow("in the artist") << "edtArtist" << int(Qt::Key_M) << none << int('M') << 0 << "";
    QTest::newRow("in the memo") << "Memo" << int(Qt::Key_M) << none << int('M') << 0 << "";
    QTest::newRow("in the completed text")
        << "Text" << int(Qt::Key_Space) << none << 0x20 << 0 << "";
}

void MainWindowTest::assignedKey() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, markKey);
    QFETCH(int, playKey);
    QFETCH(QString, done);
    Fixture f;
    f.show();
    f.window.activateWindow();
    f.readyToMark();
    f.editor.settings().keyMark = static_cast<std::uint16_t>(markKey);
    f.editor.settings().keyPlayPause = static_cast<std::uint16_t>(playKey);
    QWidget* target = f.window.findChild<QWidget*>(focus);
    QTabWidget* pages = f.window.pages();
    for (int i = 0; i < pages->count(); ++i) {
        if (pages->widget(i)->isAncestorOf(target)) pages->setCurrentIndex(i);
    }
    target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), target);
    QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(f.marked(), done == "mark");
    QCOMPARE(f.player.playState() == PlayState::Playing, done == "play");
}

// Keys over a table of their own, seen before the window's own keys: a
// disabled command uses its key up and does nothing; a command nobody
// registered is reported when the keys are set up and its key goes on.
void MainWindowTest::assignedKeyTriggersItsCommand_data() {
    QTest::addColumn<bool>("registered");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("runs");
    QTest::addColumn<bool>("passedOn");
    QTest::newRow("enabled") << true << true << 1 << false;
    QTest::newRow("disabled") << true << false << 0 << false;
    QTest::newRow("not registered") << false << true << 0 << true;
}

void MainWindowTest::assignedKeyTriggersItsCommand() {
    QFETCH(bool, registered);
    QFETCH(bool, enabled);
    QFETCH(int, runs);
    QFETCH(bool, passedOn);
    Fixture f;
    f.show();
    f.window.activateWindow();
    f.readyToMark();
    f.editor.settings().keyMark = 'M';
    CommandTable table;
    int ran = 0;
    for (CommandId id : {command::kMark, command::kCheckPrevious, command::kPlayPause}) {
        if (registered) {
            table.add({.id = id, .enabled = [&] { return enabled; }, .run = [&] { ++ran; }});
        } else {
            QTest::ignoreMessage(QtWarningMsg,
                                 qPrintable(QStringLiteral("No command %1 is registered for its "
                                                           "assigned key")
                                                .arg(QString::fromLatin1(id.objectName()))));
        }
    }
    const UndoKeys undoKeys(f.window, f.windows.commands());
    const AssignedKeys keys(f.window, f.editor, f.windows.timing().confirm(),
                            f.windows.timing().karaoke(), undoKeys, table);
    QWidget* target = f.window.controlPanel()->button(command::kCheckSelected);
    target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), target);
    QTest::keyClick(target, Qt::Key_M);
    QCOMPARE(ran, runs);
    QCOMPARE(f.marked(), passedOn);  // the window's own keys mark
}

void MainWindowTest::keyDialogRecordsVirtualKeys() {
    Fixture f;
    f.show();
    f.editor.settings().keyMark = 77;
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        QWidget* form = QApplication::activeModalWidget();
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("キーボード"));
        auto* mark = form->findChild<QLineEdit*>(QStringLiteral("Edit1"));
        auto* play = form->findChild<QLineEdit*>(QStringLiteral("Edit3"));
        QCOMPARE(mark->text(), QStringLiteral("77"));
        QVERIFY(mark->isReadOnly());
        QTest::keyClick(mark, Qt::Key_Shift);  // a modifier is a key like any other
        QCOMPARE(mark->text(), QStringLiteral("16"));
        QTest::keyClick(play, Qt::Key_Escape);  // recorded, does not close
        QCOMPARE(play->text(), QStringLiteral("27"));
        QVERIFY(form->isVisible());
        QTest::keyClick(play, Qt::Key_P, Qt::ShiftModifier);
        QCOMPARE(play->text(), QStringLiteral("80"));
        seen = true;
        form->close();  // no OK: however it closes, the codes count
    });
    f.item("K1")->trigger();
    QVERIFY(seen);
    QCOMPARE(f.editor.settings().keyMark, 16);
    QCOMPARE(f.editor.settings().keyPrevCheck, 8);  // as it was: Backspace
    QCOMPARE(f.editor.settings().keyPlayPause, 80);
}

// Without settings Space marks, Backspace checks the previous line and
// Enter plays, wherever the keys act (here a button that would take Space and
// Enter for itself).
void MainWindowTest::defaultKeysMarkAndPlay() {
    Fixture f;
    f.show();
    f.window.activateWindow();
    f.readyToMark();
    QWidget* stop = f.window.widget<QWidget>("btnStop");
    stop->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), stop);
    QTest::keyClick(stop, Qt::Key_Space);
    QVERIFY(f.marked());
    const bool checked = f.editor.document().lyrics.line(0).checked();
    QTest::keyClick(stop, Qt::Key_Backspace);
    QCOMPARE(f.editor.document().lyrics.line(0).checked(), !checked);
    QTest::keyClick(stop, Qt::Key_Return);
    QCOMPARE(f.player.playState(), PlayState::Playing);
}

// Keys of a JIS keyboard as the window system reports them, against the
// code stored for Mark (as the key dialog or Windows stored it).
void MainWindowTest::jisKeyTriggersItsCommand_data() {
    QTest::addColumn<int>("markKey");
    QTest::addColumn<test::JisKey>("pressed");
    QTest::addColumn<bool>("marks");
    QTest::newRow("変換") << 0x1C << test::kJisHenkan << true;
    QTest::newRow("無変換 is another key") << 0x1C << test::kJisMuhenkan << false;
    QTest::newRow("半角/全角 stored by Windows as Kanji") << 0x19 << test::kJisZenkaku << true;
    QTest::newRow("¥ is not ろ") << 0xE2 << test::kJisYen << false;
    QTest::newRow("Shift+2 is the 2 key") << int('2') << test::kJisShift2 << true;
    QTest::newRow("Shift+2 is not the apostrophe key") << 0xDE << test::kJisShift2 << false;
}

void MainWindowTest::jisKeyTriggersItsCommand() {
    QFETCH(int, markKey);
    QFETCH(test::JisKey, pressed);
    QFETCH(bool, marks);
    Fixture f;
    f.show();
    f.window.activateWindow();
    f.readyToMark();
    f.editor.settings().keyMark = static_cast<std::uint16_t>(markKey);
    QWidget* mark = f.window.controlPanel()->markButton();
    QTRY_COMPARE(QApplication::focusWidget(), mark);
    test::PressJisKey(mark, pressed);
    QCOMPARE(f.marked(), marks);
}

// Started from the list, where the assigned keys rest, these leave the
// focus on the Mark button, so the next press of the Mark key marks.
void MainWindowTest::focusGoesWhereTheKeysAct_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("ここから再マーク") << QString::fromLatin1(command::kRemarkFromLine.objectName());
    QTest::newRow("5秒前から再生") << QString::fromLatin1(command::kPlayBeforeLine.objectName());
    QTest::newRow("a click on the waveform") << QStringLiteral("waveform");
}

void MainWindowTest::focusGoesWhereTheKeysAct() {
    QFETCH(QString, way);
    Fixture f;
    f.show();
    f.window.activateWindow();
    f.readyToMark();
    f.editor.document().lyrics.setTimeText(0, "00:20:00");
    f.editor.settings().keyMark = 0x20;
    QWidget* list = f.window.lyricList();
    list->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), list);
    if (way == "waveform") {
        WaveformStrip* strip = f.window.waveformStrip();
        QTest::mouseClick(strip, Qt::LeftButton, {},
                          QPoint(strip->width() / 2, strip->height() / 2));
    } else {
        f.item(way)->trigger();
    }
    QTRY_COMPARE(QApplication::focusWidget(), f.window.controlPanel()->markButton());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(f.editor.document().lyrics.line(0).timeText != "00:20:00");
}

void MainWindowTest::workFolderItemShowsTheChosenFolder() {
    Fixture f;
    f.show();
    const QString before = f.item("mnuTempPath")->text();
    f.item("mnuTempPath")->trigger();  // cancelled
    QCOMPARE(f.item("mnuTempPath")->text(), before);
    const auto work = f.programFolder() / "work";
    f.dialogs.folderAnswers = {work.string()};
    f.item("mnuTempPath")->trigger();
    QCOMPARE(f.item("mnuTempPath")->text(), QString::fromStdString(work.string() + "/"));
    QCOMPARE(f.editor.temporaryWavPath(), work / "obrin_temp.wav");
}

void MainWindowTest::fontItemsSaveForTheNextStart_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("section");
    QTest::newRow("list") << "N16"
                          << "[List]";
    QTest::newRow("info") << "T4"
                          << "[Info]";
    QTest::newRow("text") << "C2"
                          << "[Text]";
    QTest::newRow("paste") << "Paste1"
                           << "[Paste]";
}

void MainWindowTest::fontItemsSaveForTheNextStart() {
    QFETCH(QString, item);
    QFETCH(QString, section);
    Fixture f;
    f.show();
    const QFont listFont = f.window.widget<QWidget>("List")->font();
    f.dialogs.fontAnswers = {FontChoice{.face = "IPAGothic", .pointSize = 20, .style = 1}};
    f.item(item)->trigger();
    QCOMPARE(f.dialogs.informations(),
             std::vector<std::string>{"変更はobrinの再起動後に有効になります"});
    QFile ini(QString::fromStdString((f.programFolder() / "font.ini").string()));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QVERIFY(ini.readAll().contains(section.toLatin1()));
    QCOMPARE(f.window.widget<QWidget>("List")->font(), listFont);  // not before a restart
}

void MainWindowTest::listColumnWidthsSurviveARestart() {
    const auto list = [](Fixture& f) { return f.window.widget<QTableView>("List"); };
    {
        // A lyrics column the user left alone is kept as the list's own,
        // to follow the window's width.
        Fixture f;
        f.show();
        f.window.action(command::kConfirmExit)->trigger();  // no exit question
        QVERIFY(f.window.close());
        QCOMPARE(LoadAppSettings(f.programFolder() / "obrin.ini", "tester", f.programFolder())
                     .listLyricWidth,
                 0);
    }
    {
        Fixture f;
        f.show();
        f.window.action(command::kConfirmExit)->trigger();  // no exit question
        list(f)->setColumnWidth(0, 321);
        list(f)->setColumnWidth(1, 97);
        QVERIFY(f.window.close());
        const AppSettings saved =
            LoadAppSettings(f.programFolder() / "obrin.ini", "tester", f.programFolder());
        QCOMPARE(saved.listLyricWidth, 321);
        QCOMPARE(saved.listTimeWidth, 97);
    }
    Fixture f;
    f.writeFile(f.programFolder() / "obrin.ini",
                "[tester]\r\nListLyric.Width=321\r\nListTime.Width=97\r\n");
    f.show();
    QCOMPARE(list(f)->columnWidth(0), 321);
    QCOMPARE(list(f)->columnWidth(1), 97);
}

void MainWindowTest::helpMissingShowsError() {
    Fixture f;
    f.show();
    f.item("H1")->trigger();
    QCOMPARE(f.dialogs.errors(), std::vector<std::string>{"ヘルプが見つかりません"});
    QVERIFY(f.opened.empty());
}

void MainWindowTest::helpPresentIsOpened() {
    Fixture f;
    f.show();
    const auto help = f.programFolder() / "help" / "help.html";
    f.writeFile(help);
    f.item("H1")->trigger();
    QVERIFY(f.dialogs.calls.empty());
    QCOMPARE(f.opened, std::vector<std::string>{help.string()});

    f.desktopOpens = false;
    f.item("H1")->trigger();
    QCOMPARE(f.dialogs.errors().size(), size_t{1});
    QVERIFY(f.dialogs.errors().front().ends_with(":\n" + help.string()));
}

void MainWindowTest::karaokeTabRubyButtonOpensTheRubyDialog() {
    Fixture f;
    f.show();
    auto* button = f.window.widget<QPushButton>("KaraokeRuby");
    QVERIFY(button);
    QVERIFY(!button->isEnabled());  // no lyrics: nothing to read
    f.editor.document().lyrics.assign({"\x90\xaf"});  // 星
    QTRY_VERIFY(button->isEnabled());
    QString opened;
    QTimer::singleShot(0, this, [&opened] {
        QWidget* form = QApplication::activeModalWidget();
        if (!form) return;
        opened = form->objectName();
        form->close();
    });
    button->click();
    QCOMPARE(opened, QStringLiteral("RubyForm"));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
