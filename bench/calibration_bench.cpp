// Runs the latency calibration through the default audio output with a
// scripted presser: a thread watches the position the player reports and
// presses a fixed delay after each click's moment, through the event loop as
// a key would. The calibration should find that delay, with a spread that
// says how exactly the position and the presses line up. Prints
//
//   delay D ms: answered N/24, median M ms (M - D off), spread S ms, offset "X"
//
// Run with a sound server present (bench/run-audio.sh starts a null sink).

#include <QCoreApplication>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "audio_bench_setup.h"
#include "playback/click_track.h"
#include "playback/latency_calibration.h"
#include "playback/qt/audio_player.h"

namespace {

constexpr int kDelaysMs[] = {150, 250};

void Run(obrin::AudioPlayer& player, const obrin::ClickTrack& track, int delayMs) {
    obrin::LatencyCalibration calibration(player, track);
    const obrin::Connection done = calibration.finished.connect([] { QCoreApplication::exit(0); });
    std::atomic<bool> stop{false};
    calibration.start();
    std::thread presser([&] {
        std::size_t next = 0;
        while (!stop.load() && next < track.times.size()) {
            if (player.currentPosition() >= track.times[next]) {
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                QMetaObject::invokeMethod(qApp, [&calibration] { calibration.press(); });
                ++next;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(250));
        }
    });
    QCoreApplication::exec();
    stop = true;
    presser.join();
    const obrin::CalibrationResult& r = *calibration.result();
    std::printf(
        "delay %d ms: answered %d/%d, median %.1f ms (%+.1f off), spread %.1f ms, offset \"%s\"\n",
        delayMs, r.answered, r.clicks, r.medianMs, r.medianMs - delayMs, r.spreadMs,
        r.proposedOffset.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (!obrin::bench::AudioOutputPresent()) return 1;
    const QTemporaryDir folder;
    const auto wav = std::filesystem::path(folder.path().toStdString()) / "clicks.wav";
    const obrin::ClickTrack track = obrin::CalibrationClicks();
    if (obrin::WriteClickTrack(wav, track)) {
        std::puts("cannot write the click track");
        return 1;
    }
    obrin::AudioPlayer player;
    player.setFileName(wav.string());
    for (const int delay : kDelaysMs) Run(player, track, delay);
    return 0;
}
