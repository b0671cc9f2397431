// The calibration dialog over a fake player: the Mark key and the button are
// presses at the heard position, and OK is offered only with a proposal.

#include "playback/qt/latency_calibration_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "fake_player.h"

namespace obrin {

class LatencyCalibrationDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void markKeyAndButtonAnswerTheClicks_data();
    void markKeyAndButtonAnswerTheClicks();
    void spaceAsMarkKeyStillPressesStart();
};

void LatencyCalibrationDialogTest::markKeyAndButtonAnswerTheClicks_data() {
    QTest::addColumn<int>("spreadMs");
    QTest::addColumn<QString>("offered");
    QTest::newRow("steady") << 20 << "-0.2";
    QTest::newRow("scattered") << 140 << "";
}

void LatencyCalibrationDialogTest::markKeyAndButtonAnswerTheClicks() {
    QFETCH(int, spreadMs);
    QFETCH(QString, offered);
    const ClickTrack track = CalibrationClicks();
    test::FakePlayer player;
    player.nextDuration = track.seconds;
    player.setFileName("clicks.wav");
    LatencyCalibrationDialog dialog(player, track,
                                    [](const QKeyEvent& key) { return key.key() == Qt::Key_F8; });
    dialog.show();
    QVERIFY(!dialog.markButton()->isEnabled());
    QVERIFY(!dialog.okButton()->isEnabled());

    dialog.startButton()->click();
    QCOMPARE(player.playState(), PlayState::Playing);
    QVERIFY(dialog.markButton()->isEnabled());
    for (std::size_t i = 0; i < track.times.size(); ++i) {
        const double jitter = (i % 2 == 0 ? -0.5 : 0.5) * spreadMs / 1000.0;
        player.setPositionForTest(track.times[i] + 0.2 + jitter);
        // Every other click by the key, the rest by the button.
        if (i % 2 == 0) {
            QTest::keyClick(&dialog, Qt::Key_F8);
        } else {
            QTest::mousePress(dialog.markButton(), Qt::LeftButton);
            QTest::mouseRelease(dialog.markButton(), Qt::LeftButton);
        }
    }
    // Other keys are not answers.
    QTest::keyClick(&dialog, Qt::Key_A);
    player.advance(5000);

    QCOMPARE(QString::fromStdString(dialog.proposedOffset()), offered);
    QCOMPARE(dialog.okButton()->isEnabled(), !offered.isEmpty());
    QVERIFY2(dialog.resultLabel()->text().contains(QStringLiteral("24回中24回")),
             qPrintable(dialog.resultLabel()->text()));
    QCOMPARE(dialog.startButton()->text(), QStringLiteral("やり直す"));
}

// Space is the designed Mark key; before a run it is the key that presses
// the focused 「開始」, and only during the run an answer.
void LatencyCalibrationDialogTest::spaceAsMarkKeyStillPressesStart() {
    const ClickTrack track = CalibrationClicks();
    test::FakePlayer player;
    player.nextDuration = track.seconds;
    player.setFileName("clicks.wav");
    LatencyCalibrationDialog dialog(player, track,
                                    [](const QKeyEvent& key) { return key.key() == Qt::Key_Space; });
    dialog.show();
    dialog.startButton()->setFocus();
    QTest::keyClick(dialog.startButton(), Qt::Key_Space);
    QCOMPARE(player.playState(), PlayState::Playing);
    QVERIFY(dialog.markButton()->isEnabled());
}

}  // namespace obrin

QTEST_MAIN(obrin::LatencyCalibrationDialogTest)
#include "latency_calibration_dialog_test.moc"
