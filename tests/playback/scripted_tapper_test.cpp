// The scripted tapper (tests/support/scripted_tapper.h) times every unit of
// the demo through the sound server while the song plays at half, normal and
// double speed. Every tap must be stored, each in the unit it was meant for,
// and within a bound a loaded machine meets every time; the target of 5 ms is
// bench/scripted_tapper_bench's (bench/run-audio.sh).
#include "scripted_tapper.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace obrin {

namespace {

constexpr int kLoadedBoundMs = 30;

}  // namespace

class ScriptedTapperTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void everyUnitIsStoredWhereItWasSung_data();
    void everyUnitIsStoredWhereItWasSung();

  private:
    QTemporaryDir folder_;
    std::string wav_;
};

void ScriptedTapperTest::initTestCase() {
    QVERIFY2(!QMediaDevices::defaultAudioOutput().isNull(),
             "no audio output device (scripts/null-sink.sh starts a PulseAudio null sink)");
    QVERIFY(folder_.isValid());
    wav_ = test::DecodeDemoSong(OBRIN_OUTPUT_DIR, OBRIN_DEMO_DIR "/demo.wav",
                                folder_.filePath("demo.wav").toStdString());
    QVERIFY(!wav_.empty());
}

void ScriptedTapperTest::everyUnitIsStoredWhereItWasSung_data() {
    QTest::addColumn<double>("rate");
    QTest::newRow("half speed") << 0.5;
    QTest::newRow("normal speed") << 1.0;
    QTest::newRow("double speed") << 2.0;
}

void ScriptedTapperTest::everyUnitIsStoredWhereItWasSung() {
    QFETCH(double, rate);
    test::DemoLyrics demo =
        test::ReadDemoLyrics(OBRIN_DEMO_DIR "/demo.txt", OBRIN_DEMO_DIR "/demo-times.txt");
    const std::size_t scheduled = test::DemoSchedule(demo).size();
    QVERIFY(scheduled > 40);
    const std::vector<test::TapResult> taps = test::RunScriptedTapper(demo, wav_, rate);
    QCOMPARE(taps.size(), scheduled);
    for (const test::TapResult& tap : taps) {
        QVERIFY2(tap.storedErrorMs() <= kLoadedBoundMs,
                 qPrintable(QString("line %1 unit %2 sung at %3 ms is stored at %4 cs")
                                .arg(tap.tap.place.line)
                                .arg(tap.tap.place.unit)
                                .arg(tap.tap.ms)
                                .arg(tap.storedCs)));
    }
}

}  // namespace obrin

QTEST_GUILESS_MAIN(obrin::ScriptedTapperTest)
#include "scripted_tapper_test.moc"
