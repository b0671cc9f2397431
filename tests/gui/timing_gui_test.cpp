#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QtTest>

#include "document/nudge_buttons.h"
#include "document/qt/control_panel.h"
#include "document/qt/lyric_list_widget.h"
#include "fake_timers.h"
#include "main_window_rig.h"
#include "playback/qt/player_panel.h"
#include "shell/qt/timing_binding.h"

using namespace obrin;

namespace {

// The editor's main window with playback and timing wired as the program
// wires them, over a fake player whose clock moves with fake timers.
struct Fixture : test::MainWindowRig<test::FakeTimerFactory> {
    TimingParts& timing = windows.timing();

    Fixture() {
        timers.onClockAdvanced = [this](int elapsedMs) { player.advance(elapsedMs); };
    }

    void load(double seconds = 200.0) {
        player.nextDuration = seconds;
        timing.playback().loadIntoPlayer("/tmp/obrin_temp.wav");
    }
    void lines(const std::vector<std::string>& timeTexts) {
        std::vector<std::string> texts;
        for (size_t i = 0; i < timeTexts.size(); ++i) texts.push_back("L" + std::to_string(i + 1));
        LyricList& lyrics = editor.document().lyrics;
        lyrics.assign(texts);
        for (size_t i = 0; i < timeTexts.size(); ++i) {
            lyrics.setTimeText(static_cast<int>(i), timeTexts[i]);
        }
    }
    QPushButton* button(const char* name) const { return window.widget<QPushButton>(name); }
    QAction* menuItem(const char* name) {
        for (QAction* item : windows.timingBinding().contextMenu()->actions()) {
            if (item->objectName() == QLatin1String(name)) return item;
        }
        return nullptr;
    }
    // Hidden menus count as disabled and are left out.
    bool menusEnabled() const {
        for (QAction* menu : window.menuBar()->actions()) {
            if (menu->isVisible() && !menu->isEnabled()) return false;
        }
        return true;
    }
};

}  // namespace

class TimingGuiTest : public QObject {
    Q_OBJECT
  private slots:
    void nudgeButtonMovesPlayPosition_data();
    void nudgeButtonMovesPlayPosition();
    void nudgeButtonMovesSelectedTimes_data();
    void nudgeButtonMovesSelectedTimes();
    void controlPanelButtonsRunTheirCommands();
    void contextMenuEnabling_data();
    void contextMenuEnabling();
    void contextMenuShortcutsActOnlyInTheList();
    void positionBarShowsAndSeeksTheCursorTime();
    void pitchAndVolumeSliders();
    void confirmAroundShowsCountdownThenLyric();
    void confirmAllLocksEditingUntilTheDialogCloses();
    void closingTheEditorEndsARun();
    void assignedKeysRestDuringAConfirmRun();
};

void TimingGuiTest::nudgeButtonMovesPlayPosition_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<double>("target");
    QTest::addColumn<bool>("shown");
    for (const NudgeButton& nudge : kNudgeButtons) {
        const std::string name(nudge.command.objectName());
        QTest::newRow(name.c_str())
            << QString::fromStdString(name) << QString::fromUtf8(nudge.caption)
            << 30.0 + nudge.stepMs / 1000.0 << nudge.shown;
    }
}

void TimingGuiTest::nudgeButtonMovesPlayPosition() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(double, target);
    QFETCH(bool, shown);
    Fixture f;
    f.show();
    f.load();
    f.player.setPositionForTest(30.0);
    QPushButton* button = f.button(name.toLatin1().constData());
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->isVisible(), shown);
    button->click();
    QCOMPARE(f.player.seeks.size(), size_t{1});
    QCOMPARE(f.player.seeks[0], target);
}

void TimingGuiTest::nudgeButtonMovesSelectedTimes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("time");
    const char* const shifted[] = {"00:20:10", "00:21:00", "00:30:00", "00:19:90",
                                   "00:19:00", "00:10:00", "00:20:50", "00:23:00",
                                   "00:25:00", "00:19:50", "00:17:00", "00:15:00"};
    for (size_t i = 0; i < kNudgeButtons.size(); ++i) {
        const std::string name(kNudgeButtons[i].command.objectName());
        QTest::newRow(name.c_str())
            << QString::fromStdString(name) << QString::fromLatin1(shifted[i]);
    }
}

void TimingGuiTest::nudgeButtonMovesSelectedTimes() {
    QFETCH(QString, name);
    QFETCH(QString, time);
    Fixture f;
    f.show();
    f.load();
    f.lines({"00:20:00", "00:20:00"});
    f.window.widget<QCheckBox>("chkHosei")->setChecked(true);
    f.editor.document().lyrics.select(1);
    f.button(name.toLatin1().constData())->click();
    QCOMPARE(QString::fromStdString(f.editor.document().lyrics.line(1).timeText), time);
    QCOMPARE(QString::fromStdString(f.editor.document().lyrics.line(0).timeText),
             QStringLiteral("00:20:00"));
    QVERIFY(f.player.seeks.empty());
}

void TimingGuiTest::controlPanelButtonsRunTheirCommands() {
    Fixture f;
    f.show();
    f.load();
    f.lines({"00:00:00", "00:00:00", "00:00:00"});
    LyricList& lyrics = f.editor.document().lyrics;
    lyrics.select(0);
    f.editor.document().setMarkOffset("-1.0");
    f.player.setPositionForTest(13.34);
    f.button("Button2")->click();  // マーク
    QCOMPARE(lyrics.line(0).timeText, std::string("00:12:34"));
    QCOMPARE(lyrics.currentLine(), 1);
    f.button("Button1")->click();  // 一つ前をチェック
    QVERIFY(lyrics.line(0).checked());
    f.button("Button3")->click();  // チェック
    QVERIFY(lyrics.line(1).checked());
}

void TimingGuiTest::contextMenuEnabling_data() {
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<bool>("lineItems");
    QTest::addColumn<bool>("merge");
    QTest::newRow("nothing selected") << QList<int>{} << false << false;
    QTest::newRow("first line") << QList<int>{0} << true << true;
    QTest::newRow("last line") << QList<int>{2} << true << false;
}

void TimingGuiTest::contextMenuEnabling() {
    QFETCH(QList<int>, selected);
    QFETCH(bool, lineItems);
    QFETCH(bool, merge);
    Fixture f;
    f.show();
    f.lines({"00:01:00", "00:02:00", "00:03:00"});
    for (int line : selected) f.editor.document().lyrics.select(line);
    QMenu* menu = f.windows.timingBinding().contextMenu();
    QCOMPARE(menu->objectName(), QStringLiteral("PopupMenu1"));
    QStringList order;
    for (QAction* action : menu->actions()) {
        order << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    }
    QCOMPARE(order, QStringList({"P3", "N551", "mnuRemarkFrom", "-", "Q1", "-", "Edit1", "L1", "A1",
                                 "O1", "T2", "mnuShiftTimes", "-", "S2", "N10", "-",
                                 "mnuAcceptDraft", "mnuAcceptAllDrafts"}));
    menu->popup(f.window.geometry().center());
    for (const char* name : {"P3", "N551", "mnuRemarkFrom", "Q1", "Edit1", "L1", "A1"}) {
        QCOMPARE(f.menuItem(name)->isEnabled(), lineItems);
    }
    QCOMPARE(f.menuItem("O1")->isEnabled(), merge);
    // With lines, shifting needs no selection: it then shifts them all.
    for (const char* name : {"T2", "mnuShiftTimes", "S2", "N10"}) {
        QVERIFY(f.menuItem(name)->isEnabled());
    }
    // Without a draft there is nothing to accept.
    for (const char* name : {"mnuAcceptDraft", "mnuAcceptAllDrafts"}) {
        QVERIFY(!f.menuItem(name)->isEnabled());
    }
    menu->hide();
}

void TimingGuiTest::contextMenuShortcutsActOnlyInTheList() {
    Fixture f;
    f.show();
    f.lines({"00:01:00", "00:02:00", "00:03:00"});
    LyricList& lyrics = f.editor.document().lyrics;
    QCOMPARE(f.menuItem("Q1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    QCOMPARE(f.menuItem("L1")->shortcut(), QKeySequence(Qt::Key_Delete));
    // Opening the menu with nothing selected must not leave the keys dead.
    f.windows.timingBinding().contextMenu()->popup(f.window.geometry().center());
    f.windows.timingBinding().contextMenu()->hide();
    lyrics.select(1);

    f.window.titleField()->setFocus();
    QTest::keyClick(f.window.titleField(), Qt::Key_Delete);
    QCOMPARE(lyrics.count(), 3);

    f.window.lyricList()->setFocus();
    QTest::keyClick(f.window.lyricList(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(lyrics.line(1).checked());
    QTest::keyClick(f.window.lyricList(), Qt::Key_Insert);
    QCOMPARE(lyrics.count(), 4);
    QCOMPARE(lyrics.line(1).timeText, std::string("00:02:00"));
    QTest::keyClick(f.window.lyricList(), Qt::Key_Delete);
    QCOMPARE(lyrics.count(), 3);
}

void TimingGuiTest::positionBarShowsAndSeeksTheCursorTime() {
    Fixture f;
    f.show();
    f.load(200.0);
    PlayerPanel* panel = f.window.playerPanel();
    QProgressBar* bar = panel->positionBar();
    QCOMPARE(bar->maximum(), 200000);
    QCOMPARE(panel->totalPosition()->text(), QStringLiteral("03:20:00"));
    const int x = bar->width() / 2;
    QTest::mouseMove(bar, QPoint(x, bar->height() / 2));
    const QString shown = panel->seekPosition()->text();
    QVERIFY(shown != QStringLiteral("00:00:00"));
    QTest::mouseClick(bar, Qt::RightButton, {}, QPoint(x, bar->height() / 2));
    QVERIFY(f.player.seeks.empty());
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(x, bar->height() / 2));
    QCOMPARE(f.player.seeks.size(), size_t{1});
    QCOMPARE(panel->currentPosition()->text(), shown);
    QCOMPARE(bar->value(), static_cast<int>(std::lround(f.player.seeks[0] * 1000)));
}

void TimingGuiTest::pitchAndVolumeSliders() {
    Fixture f;
    f.show();
    f.load();
    PlayerPanel* panel = f.window.playerPanel();
    panel->pitchSlider()->setValue(20);
    QCOMPARE(panel->pitchLabel()->text(), QStringLiteral("ピッチ(20%)"));
    QCOMPARE(f.player.rate(), 0.2);
    panel->volumeSlider()->setValue(-3000);
    QCOMPARE(f.player.volume(), -10000);
    panel->playButton()->click();
    QCOMPARE(panel->playButton()->text(), QStringLiteral("一時停止"));
    panel->stopButton()->click();
    QCOMPARE(panel->playButton()->text(), QStringLiteral("再生"));
}

void TimingGuiTest::confirmAroundShowsCountdownThenLyric() {
    Fixture f;
    f.show();
    f.load();
    f.lines({"00:03:00"});
    ConfirmDialog& dialog = f.timing.confirmDialog();
    f.button("Button4")->click();
    QVERIFY(dialog.isVisible());
    QVERIFY(!f.window.isEnabled());
    QVERIFY(dialog.abortButton()->isEnabled());
    QCOMPARE(dialog.panel()->text(), QStringLiteral("3秒前"));
    QCOMPARE(dialog.panel()->palette().color(QPalette::Window), QColor(255, 255, 255));
    f.timers.advance(3000);
    QCOMPARE(dialog.panel()->text(), QStringLiteral("L1"));
    QCOMPARE(dialog.panel()->palette().color(QPalette::Window), QColor(0, 255, 255));
    QTest::mouseClick(dialog.abortButton(), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QVERIFY(f.window.isEnabled());
}

void TimingGuiTest::confirmAllLocksEditingUntilTheDialogCloses() {
    Fixture f;
    f.show();
    f.load();
    f.lines({"00:00:50", "00:02:00"});
    ConfirmDialog& dialog = f.timing.confirmDialog();
    f.button("Button5")->click();
    QVERIFY(dialog.isVisible());
    QVERIFY(!f.window.controlPanel()->isEnabled());
    QVERIFY(!f.window.pages()->isEnabled());
    QVERIFY(!f.menusEnabled());
    QVERIFY(f.window.playerPanel()->isEnabled());
    QVERIFY(f.window.titleField()->isEnabled());
    f.timers.advance(1000);
    QCOMPARE(dialog.panel()->text(), QStringLiteral("L1"));
    QTest::mouseClick(dialog.checkButton(), Qt::LeftButton);
    QVERIFY(f.editor.document().lyrics.line(0).checked());
    dialog.close();
    QVERIFY(f.window.controlPanel()->isEnabled());
    QVERIFY(f.window.pages()->isEnabled());
    QVERIFY(f.menusEnabled());
    QVERIFY(!f.timing.confirm().isRunning());
}

void TimingGuiTest::closingTheEditorEndsARun() {
    Fixture f;
    f.show();
    f.load();
    f.lines({"00:20:00"});
    f.button("Button4")->click();
    QVERIFY(f.timing.confirm().isRunning());
    f.dialogs.chooseAnswers.push_back(1);  // 変更を保存しますか? → いいえ
    QVERIFY(f.window.close());             // as the user closes it
    QVERIFY(!f.timing.confirm().isRunning());
    QVERIFY(!f.timing.confirmDialog().isVisible());
}

void TimingGuiTest::assignedKeysRestDuringAConfirmRun() {
    Fixture f;
    f.show();
    f.window.activateWindow();
    f.load();
    f.lines({"00:00:50", "00:02:00"});
    f.editor.settings().keyPlayPause = 'P';
    QWidget* stop = f.window.playerPanel()->stopButton();
    f.button("Button5")->click();  // すべて: plays the song and follows it
    QVERIFY(f.timing.confirm().isRunning());
    QCOMPARE(f.player.playState(), PlayState::Playing);
    stop->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), stop);
    QTest::keyClick(stop, Qt::Key_P);
    QCOMPARE(f.player.playState(), PlayState::Playing);  // the key did not pause

    f.timing.confirmDialog().close();  // the run ends, the song plays on
    QVERIFY(!f.timing.confirm().isRunning());
    stop->setFocus();
    QTest::keyClick(stop, Qt::Key_P);
    QCOMPARE(f.player.playState(), PlayState::Paused);
}

QTEST_MAIN(TimingGuiTest)
#include "timing_gui_test.moc"
