// The scripted tapper (tests/support/scripted_tapper.h) times every unit of
// the demo through the default audio output at rates 0.5, 1.0 and 2.0. The
// target: every unit stored within 5 ms of the heard position at its press
// (less the tapper's delay). Prints per rate
//
//   rate R: N/M taps; stored: worst W ms, median V ms, K within 5 ms;
//           stamped: worst E ms, median D ms; skipped: worst S ms
//
// "stored" is how far each press's time lies outside the unit's stored
// centisecond; "stamped" the heard position when the tap ran against the
// press's, finer than centiseconds (both less the delay); "skipped" how much
// later than the schedule the press was heard, the stretcher leaving the
// scheduled samples out above normal speed.
// Run with a sound server present (bench/run-audio.sh starts a null sink).
#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "audio_bench_setup.h"
#include "scripted_tapper.h"

namespace {

constexpr double kTargetMs = 5;

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

double Worst(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (!obrin::bench::AudioOutputPresent()) return 1;
    const QTemporaryDir folder;
    const std::string wav = obrin::test::DecodeDemoSong(
        OBRIN_OUTPUT_DIR, OBRIN_DEMO_DIR "/demo.wav",
        std::filesystem::path(folder.path().toStdString()) / "demo.wav");
    if (wav.empty()) {
        std::puts("cannot decode the demo song");
        return 1;
    }
    bool met = true;
    for (const double rate : {0.5, 1.0, 2.0}) {
        obrin::test::DemoLyrics demo = obrin::test::ReadDemoLyrics(
            OBRIN_DEMO_DIR "/demo.txt", OBRIN_DEMO_DIR "/demo-times.txt");
        const std::size_t scheduled = obrin::test::DemoSchedule(demo).size();
        const std::vector<obrin::test::TapResult> taps =
            obrin::test::RunScriptedTapper(demo, wav, rate);
        std::vector<double> stored, stamped, skipped;
        for (const obrin::test::TapResult& tap : taps) {
            stored.push_back(tap.storedErrorMs());
            stamped.push_back(std::abs(tap.stampErrorMs()));
            skipped.push_back(tap.skippedMs());
        }
        const auto within =
            std::count_if(stored.begin(), stored.end(), [](double ms) { return ms <= kTargetMs; });
        met = met && taps.size() == scheduled && within == static_cast<long>(scheduled);
        std::printf(
            "rate %.1f: %zu/%zu taps; stored: worst %.1f ms, median %.1f ms, %ld within %.0f ms; "
            "stamped: worst %.2f ms, median %.2f ms; skipped: worst %.1f ms\n",
            rate, taps.size(), scheduled, Worst(stored), Median(stored), static_cast<long>(within),
            kTargetMs, Worst(stamped), Median(stamped), Worst(skipped));
        std::fflush(stdout);
    }
    std::printf("target (every unit within %.0f ms at every rate): %s\n", kTargetMs,
                met ? "met" : "MISSED");
    return 0;
}
