#include "document/qt/karaoke_tab.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "base/sjis_codec.h"
#include "document/karaoke_tapping.h"
#include "document/qt/control_panel.h"
#include "fake_timers.h"
#include "main_window_rig.h"
#include "shown_units.h"

using namespace obrin;

namespace {

// The editor as the program wires it, the karaoke tab shown and a song
// playing on the fake player, marks without an offset; the Mark key is the
// designed Space and Backspace the designed key of 「一つ前をチェック」.
struct Fixture : test::MainWindowRig<test::FakeTimerFactory> {
    TimingParts& timing = windows.timing();
    KaraokeTab& tab = timing.karaokeTab();
    KaraokeLinesView* view = tab.linesView();
    LyricList& lyrics = editor.document().lyrics;

    Fixture() {
        show();
        window.activateWindow();
        editor.document().setMarkOffset("0.0");
        lyrics.assign({Utf8ToSjis("あいう"), Utf8ToSjis("かき")});
        lyrics.select(0);
        window.pages()->setCurrentWidget(&tab);
        timing.playback().loadIntoPlayer("/tmp/obrin_temp.wav");
        timing.playback().playPause();
    }
    // A key from the window system: it reaches the focused control through
    // the application's filters.
    void key(QEvent::Type type, int key, bool autoRepeat = false) {
        QKeyEvent event(type, key, Qt::NoModifier, key == Qt::Key_Space ? QStringLiteral(" ") : "",
                        autoRepeat);
        QApplication::sendEvent(QApplication::focusWidget(), &event);
    }
    void tapAt(double seconds, bool autoRepeat = false) {
        player.setPositionForTest(seconds);
        key(QEvent::KeyPress, Qt::Key_Space, autoRepeat);
    }
    void releaseAt(double seconds) {
        player.setPositionForTest(seconds);
        key(QEvent::KeyRelease, Qt::Key_Space);
    }
    QString shown(int line) const {
        return QString::fromStdString(test::ShownUnits(lyrics.line(line).units));
    }
    void clickBefore(std::size_t byte) {
        const std::optional<QPoint> at = view->cutPoint(byte);
        QVERIFY(at);
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, *at);
    }
};

}  // namespace

class KaraokeTabTest : public QObject {
    Q_OBJECT
  private slots:
    void markKeyTapsAndBackspaceTakesBack();
    void markButtonTapsOnlyWhileTheTabIsShown();
    void keyUpOptionEndsTheLineAtTheRelease();
    void restartButtonPlaysFromBeforeTheLine();
    void clickSplitsAndJoinsAndTheViewFollowsUndo();
};

void KaraokeTabTest::markKeyTapsAndBackspaceTakesBack() {
    Fixture f;
    QTRY_COMPARE(QApplication::focusWidget(), f.view);
    const QRect first = f.view->highlightedBox();
    f.tapAt(10.0);
    f.key(QEvent::KeyRelease, Qt::Key_Space);
    f.tapAt(10.2, true);  // the key held down
    f.tapAt(10.3);
    QCOMPARE(f.shown(0), QStringLiteral("あ@1000|い@1030|う"));
    QVERIFY(f.view->highlightedBox().left() > first.right());
    f.key(QEvent::KeyPress, Qt::Key_Backspace);
    QCOMPARE(f.shown(0), QStringLiteral("あ@1000|い|う"));
    QVERIFY(!f.lyrics.line(0).checked());
    QCOMPARE(f.timing.karaoke().current(), (KaraokeTapping::Place{0, 1}));
    f.timing.playback().playPause();
    f.tapAt(11.0);
    QCOMPARE(f.shown(0), QStringLiteral("あ@1000|い|う"));
    QCOMPARE(f.tab.noteLabel()->text(), QString::fromUtf8(KaraokeTapping::kNotPlayingNote));
}

void KaraokeTabTest::markButtonTapsOnlyWhileTheTabIsShown() {
    Fixture f;
    QPushButton* mark = f.window.controlPanel()->markButton();
    f.player.setPositionForTest(4.0);
    mark->click();
    QCOMPARE(f.timing.karaoke().current(), (KaraokeTapping::Place{0, 1}));
    f.window.pages()->setCurrentIndex(0);
    f.player.setPositionForTest(6.0);
    mark->click();
    QCOMPARE(QString::fromStdString(f.lyrics.line(0).timeText), QStringLiteral("00:06:00"));
    QCOMPARE(f.lyrics.currentLine(), 1);
}

void KaraokeTabTest::keyUpOptionEndsTheLineAtTheRelease() {
    Fixture f;
    f.tab.keyUpBox()->setChecked(true);
    QVERIFY(f.editor.settings().karaokeKeyUp);
    for (double t : {10.0, 10.3, 10.6}) {
        f.tapAt(t);
        f.releaseAt(t + 0.1);
    }
    QCOMPARE(f.shown(0), QStringLiteral("あ@1000|い@1030|う@1060/1070"));
    QCOMPARE(f.timing.karaoke().current(), (KaraokeTapping::Place{1, 0}));
}

void KaraokeTabTest::restartButtonPlaysFromBeforeTheLine() {
    Fixture f;
    f.lyrics.setTimeText(0, "00:12:50");
    f.timing.karaoke().setCurrent(0, 2);
    f.tab.restartButton()->click();
    QCOMPARE(f.player.seeks.back(), 9.5);
    QCOMPARE(f.player.playState(), PlayState::Playing);
    QCOMPARE(f.timing.karaoke().current(), (KaraokeTapping::Place{0, 0}));
}

void KaraokeTabTest::clickSplitsAndJoinsAndTheViewFollowsUndo() {
    Fixture f;
    UndoHistory& history = f.editor.document().history;
    const int oneKana = f.view->highlightedBox().width();
    f.clickBefore(2);
    QCOMPARE(f.shown(0), QStringLiteral("あい@0|う"));
    QCOMPARE(QString::fromStdString(history.undoCaption()), QStringLiteral("単位の結合"));
    QVERIFY(f.view->highlightedBox().width() > oneKana);
    f.clickBefore(2);
    QCOMPARE(f.shown(0), QStringLiteral("あ@0|い|う"));
    QCOMPARE(QString::fromStdString(history.undoCaption()), QStringLiteral("単位の分割"));
    history.undo();
    QCOMPARE(f.shown(0), QStringLiteral("あい@0|う"));
    history.undo();
    QCOMPARE(f.shown(0), QString());
    QCOMPARE(f.view->highlightedBox().width(), oneKana);
}

QTEST_MAIN(KaraokeTabTest)
#include "karaoke_tab_test.moc"
