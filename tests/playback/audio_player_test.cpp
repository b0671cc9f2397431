// The real player against the default audio output. ./test.sh starts a
// PulseAudio null sink for it; without any audio output the tests skip, which
// ./test.sh and CI count as a failure.

#include "playback/qt/audio_player.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>
#include <vector>

#include "wav_builder.h"

namespace obrin {

class AudioPlayerTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loadStartsStoppedAtNormalRateAndFullVolume();
    void aFileThatIsNotAWavIsRefused();
    void unloadClearsTheFileName();
    void positionAdvancesAtTheRate_data();
    void positionAdvancesAtTheRate();
    void filesTheOutputMayNotTakePlay_data();
    void filesTheOutputMayNotTakePlay();
    void everyReaderSeesTheSamePosition();
    void pauseHoldsThePositionAndPlayResumesThere();
    void seekLandsWhereAsked_data();
    void seekLandsWhereAsked();
    void seekWhilePlayingGoesOnFromThere();
    void stopReturnsToTheStart();
    void theEndOfTheFileStops();
    void playingFromTheVeryEndStopsAtOnce();

  private:
    // Plays until the device has started and settled on its latency (an idle
    // null sink takes up to a second), so that the position moves steadily.
    void playUntilSteady();
    // Lets events run for `ms` milliseconds.
    static void runFor(int ms);
    // Lets events run until the device has played `seconds` of audio since
    // playback last started or seeked; false when it stopped playing.
    bool playFor(double seconds);
    // The position is at or after `from`, and ahead of it by no more than the
    // device has played since playback last started or seeked, at the rate.
    // The device's own clock is the measure, so how busy the machine is
    // changes neither side.
    bool followsTheDevice(double from, QString& why) const;
    // Reads the position while the device plays a second of audio: it must
    // not run back, and must advance by `rate` times what the device played.
    void checkAdvanceOverASecond(double rate);

    static constexpr double kSeconds = 4.0;
    // How far the smooth position may stand from the device's count, which
    // moves in the sound server's blocks.
    static constexpr double kClockSlack = 0.03;
    QTemporaryDir folder_;
    std::string wav_;
    std::unique_ptr<AudioPlayer> player_;
    std::vector<PlayState> events_;
    Connection eventsConnection_;
};

void AudioPlayerTest::initTestCase() {
    if (QMediaDevices::defaultAudioOutput().isNull()) {
        QSKIP("no audio output device (./test.sh starts a PulseAudio null sink)");
    }
    QVERIFY(folder_.isValid());
    wav_ = folder_.filePath("tone.wav").toStdString();
    test::WriteSineWav(wav_, kSeconds);
}

void AudioPlayerTest::init() {
    player_ = std::make_unique<AudioPlayer>();
    events_.clear();
    eventsConnection_ =
        player_->playStateChanged.connect([this](PlayState s) { events_.push_back(s); });
    player_->setFileName(wav_);
}

void AudioPlayerTest::cleanup() {
    player_.reset();
}

void AudioPlayerTest::runFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QTest::qWait(5);
}

bool AudioPlayerTest::playFor(double seconds) {
    const auto micros = static_cast<std::int64_t>(seconds * 1e6);
    // The timeout only bounds a device that stopped.
    return QTest::qWaitFor([&] { return player_->deviceMicroseconds() >= micros; }, 10'000);
}

bool AudioPlayerTest::followsTheDevice(double from, QString& why) const {
    // The position first: the device's count read after it can only be more.
    const double now = player_->currentPosition();
    const double played =
        player_->rate() * static_cast<double>(player_->deviceMicroseconds()) / 1e6;
    why = QString("position %1 s, from %2 s, the device played %3 s of the file")
              .arg(now)
              .arg(from)
              .arg(played);
    return now >= from && now <= from + played + kClockSlack;
}

void AudioPlayerTest::playUntilSteady() {
    player_->play();
    QTRY_VERIFY_WITH_TIMEOUT(player_->deviceMicroseconds() > 0, 5000);
    const double started = player_->currentPosition();
    QTRY_VERIFY_WITH_TIMEOUT(player_->currentPosition() > started + 0.3 * player_->rate(), 5000);
}

void AudioPlayerTest::loadStartsStoppedAtNormalRateAndFullVolume() {
    QCOMPARE(player_->fileName(), wav_);
    QCOMPARE(player_->duration(), kSeconds);
    QCOMPARE(player_->currentPosition(), 0.0);
    QCOMPARE(player_->playState(), PlayState::Stopped);
    QCOMPARE(player_->rate(), 1.0);
    QCOMPARE(player_->volume(), 0);
    QVERIFY(events_.empty());

    // A new file resets what the last one was played with.
    player_->setRate(0.5);
    player_->setVolume(-10000);
    player_->setCurrentPosition(1.0);
    player_->setFileName(wav_);
    QCOMPARE(player_->rate(), 1.0);
    QCOMPARE(player_->volume(), 0);
    QCOMPARE(player_->currentPosition(), 0.0);
}

void AudioPlayerTest::aFileThatIsNotAWavIsRefused() {
    const std::string text = folder_.filePath("lyrics.txt").toStdString();
    test::WriteFile(text, "[00:01:00]not audio\r\n");
    QVERIFY_THROWS_EXCEPTION(PlayerError, player_->setFileName(text));
    QCOMPARE(player_->fileName(), std::string());
    QCOMPARE(player_->duration(), 0.0);
    QVERIFY_THROWS_EXCEPTION(PlayerError, player_->play());
}

void AudioPlayerTest::unloadClearsTheFileName() {
    playUntilSteady();
    player_->setFileName("");
    QCOMPARE(player_->fileName(), std::string());
    QCOMPARE(player_->duration(), 0.0);
    QCOMPARE(player_->playState(), PlayState::Stopped);
    QCOMPARE(events_, (std::vector{PlayState::Playing, PlayState::Stopped}));
    QVERIFY_THROWS_EXCEPTION(PlayerError, player_->setCurrentPosition(1.0));
    QVERIFY_THROWS_EXCEPTION(PlayerError, player_->play());
}

void AudioPlayerTest::positionAdvancesAtTheRate_data() {
    QTest::addColumn<double>("rate");
    QTest::newRow("normal") << 1.0;
    QTest::newRow("half") << 0.5;
}

void AudioPlayerTest::positionAdvancesAtTheRate() {
    QFETCH(double, rate);
    player_->setRate(rate);
    playUntilSteady();
    QCOMPARE(events_, std::vector{PlayState::Playing});
    checkAdvanceOverASecond(rate);
}

void AudioPlayerTest::checkAdvanceOverASecond(double rate) {
    const double from = player_->currentPosition();
    const std::int64_t deviceFrom = player_->deviceMicroseconds();
    double previous = from;
    bool backwards = false;
    std::int64_t device = deviceFrom;
    double now = from;
    // The timeout only bounds a device that stopped.
    const bool played = QTest::qWaitFor(
        [&] {
            now = player_->currentPosition();
            device = player_->deviceMicroseconds();
            backwards = backwards || now < previous;
            previous = now;
            return device - deviceFrom >= 1'000'000;
        },
        10'000);
    QVERIFY2(played, "the device stopped playing");
    QVERIFY2(!backwards, "the position ran backwards");
    const double advanced = now - from;
    const double expected = rate * static_cast<double>(device - deviceFrom) / 1e6;
    QVERIFY2(std::abs(advanced - expected) < kClockSlack,
             qPrintable(QString("advanced %1 s, the device played %2 s of the file")
                            .arg(advanced)
                            .arg(expected)));
}

// Rates and channels the decoders deliver; an output that refuses one gets
// it converted, and the position stays in the file's time either way.
void AudioPlayerTest::filesTheOutputMayNotTakePlay_data() {
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<int>("channels");
    QTest::newRow("96 kHz mono") << 96000 << 1;
    QTest::newRow("8 kHz mono") << 8000 << 1;
    QTest::newRow("192 kHz stereo") << 192000 << 2;
}

void AudioPlayerTest::filesTheOutputMayNotTakePlay() {
    QFETCH(int, sampleRate);
    QFETCH(int, channels);
    const std::string wav =
        folder_.filePath(QString("tone-%1-%2.wav").arg(sampleRate).arg(channels)).toStdString();
    test::WriteSineWav(wav, kSeconds, sampleRate, channels);
    player_->setFileName(wav);
    QCOMPARE(player_->duration(), kSeconds);
    player_->setCurrentPosition(1.25);
    QVERIFY(std::abs(player_->currentPosition() - 1.25) < 1.0 / sampleRate);
    playUntilSteady();
    checkAdvanceOverASecond(1.0);
    QCOMPARE(events_, std::vector{PlayState::Playing});
}

// Reading the position changes nothing: a second reader on another thread
// sees it move forwards just the same, and both see it stand still on pause.
void AudioPlayerTest::everyReaderSeesTheSamePosition() {
    playUntilSteady();
    std::atomic<bool> done{false};
    std::atomic<int> backwards{0};
    std::atomic<double> otherLast{0};
    std::thread other([&] {
        double last = player_->currentPosition();
        while (!done.load()) {
            const double now = player_->currentPosition();
            if (now < last) ++backwards;
            last = now;
            otherLast = last;
        }
    });
    checkAdvanceOverASecond(1.0);
    player_->pause();
    const double held = player_->currentPosition();
    runFor(50);
    done = true;
    other.join();
    QCOMPARE(backwards.load(), 0);
    QCOMPARE(otherLast.load(), held);
}

void AudioPlayerTest::pauseHoldsThePositionAndPlayResumesThere() {
    playUntilSteady();
    player_->pause();
    QCOMPARE(player_->playState(), PlayState::Paused);
    QCOMPARE(events_, (std::vector{PlayState::Playing, PlayState::Paused}));
    const double held = player_->currentPosition();
    QVERIFY(held > 0.2);
    runFor(300);
    QCOMPARE(player_->currentPosition(), held);

    player_->play();
    // The clock may already have moved on by the time it is read again, but
    // only forwards and only by what the device played since.
    QString why;
    QVERIFY2(followsTheDevice(held, why), qPrintable(why));
    QVERIFY2(playFor(0.05), "the device stopped playing");
    QVERIFY2(followsTheDevice(held, why), qPrintable(why));
}

void AudioPlayerTest::seekLandsWhereAsked_data() {
    QTest::addColumn<double>("asked");
    QTest::addColumn<double>("lands");
    QTest::newRow("middle") << 2.5 << 2.5;
    QTest::newRow("hundredths") << 1.23 << 1.23;
    QTest::newRow("start") << 0.0 << 0.0;
    QTest::newRow("end") << kSeconds << kSeconds;
    QTest::newRow("before the start") << -3.0 << 0.0;
    QTest::newRow("after the end") << 99.0 << kSeconds;
}

void AudioPlayerTest::seekLandsWhereAsked() {
    QFETCH(double, asked);
    QFETCH(double, lands);
    for (const PlayState state : {PlayState::Stopped, PlayState::Paused}) {
        if (state == PlayState::Paused) {
            player_->setCurrentPosition(1.0);
            player_->play();
            player_->pause();
        }
        player_->setCurrentPosition(asked);
        QCOMPARE(player_->playState(), state);
        QVERIFY(std::abs(player_->currentPosition() - lands) < 1.0 / 44100);
    }
}

void AudioPlayerTest::seekWhilePlayingGoesOnFromThere() {
    playUntilSteady();
    player_->setCurrentPosition(3.0);
    QCOMPARE(player_->playState(), PlayState::Playing);
    // The device may already have started on the new audio.
    QString why;
    QVERIFY2(followsTheDevice(3.0, why), qPrintable(why));
    QVERIFY2(playFor(0.1), "the device stopped playing");
    QVERIFY2(followsTheDevice(3.0, why), qPrintable(why));
    QCOMPARE(events_, std::vector{PlayState::Playing});
}

void AudioPlayerTest::stopReturnsToTheStart() {
    playUntilSteady();
    player_->stop();
    QCOMPARE(player_->playState(), PlayState::Stopped);
    QCOMPARE(player_->currentPosition(), 0.0);
    QCOMPARE(events_, (std::vector{PlayState::Playing, PlayState::Stopped}));
    runFor(100);
    QCOMPARE(player_->currentPosition(), 0.0);
}

void AudioPlayerTest::theEndOfTheFileStops() {
    player_->setCurrentPosition(kSeconds - 0.5);
    player_->play();
    QTRY_COMPARE_WITH_TIMEOUT(player_->playState(), PlayState::Stopped, 5000);
    QCOMPARE(events_, (std::vector{PlayState::Playing, PlayState::Stopped}));
    QCOMPARE(player_->currentPosition(), 0.0);
    // And it plays again from the start.
    player_->play();
    QCOMPARE(player_->playState(), PlayState::Playing);
}

void AudioPlayerTest::playingFromTheVeryEndStopsAtOnce() {
    player_->setCurrentPosition(kSeconds);
    player_->play();
    QTRY_COMPARE_WITH_TIMEOUT(player_->playState(), PlayState::Stopped, 5000);
    QCOMPARE(events_, (std::vector{PlayState::Playing, PlayState::Stopped}));
}

}  // namespace obrin

QTEST_GUILESS_MAIN(obrin::AudioPlayerTest)
#include "audio_player_test.moc"
