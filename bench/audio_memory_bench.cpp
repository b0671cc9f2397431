// Plays a 60-minute WAV (stereo, 16-bit, 44.1 kHz: about 635 MB) and reports
// how much the process's peak resident memory grew over an idle player with
// the audio system already started. The file is streamed, so the growth should
// not depend on its length.
//
// Run with a sound server present (bench/run-audio.sh starts a null sink).

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>

#include "audio_bench_setup.h"
#include "playback/qt/audio_player.h"

namespace {

using obrin::bench::StatusKb;

// Lets the player run for `ms` milliseconds.
void PlayFor(int ms) {
    QTimer::singleShot(ms, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (!obrin::bench::AudioOutputPresent()) return 1;
    const auto wav = obrin::bench::WriteTone("obrin-memory-bench.wav", 60.0 * 60.0);

    obrin::AudioPlayer player;
    const long idle = StatusKb("VmHWM");

    player.setFileName(wav.string());
    player.play();
    PlayFor(3000);
    // Through the middle and to the end, and at a slower rate through the
    // time-stretcher.
    player.setCurrentPosition(30 * 60.0);
    player.setRate(0.5);
    PlayFor(3000);
    player.setRate(1.0);
    player.setCurrentPosition(60 * 60.0 - 2.0);
    PlayFor(3000);
    const long peak = StatusKb("VmHWM");
    const long now = StatusKb("VmRSS");
    player.setFileName("");
    std::filesystem::remove(wav);

    std::printf("file: %.0f MB, duration %.0f s\n", 60 * 60.0 * 44100 * 4 / 1e6, 3600.0);
    std::printf(
        "peak resident: idle %.1f MB, while playing %.1f MB, growth %.1f MB "
        "(resident now %.1f MB)\n",
        idle / 1024.0, peak / 1024.0, (peak - idle) / 1024.0, now / 1024.0);
    return 0;
}
