// Plays a tone through the default audio output and samples the position the
// player reports every 10 ms for 10 s, at rate 1.0 and 0.5 (dropping samples
// whose reads the scheduler interrupted). Prints
// - the largest deviation from the device's clock of played audio, taken as
//   the straight line fitted to its reports over the whole window (the server
//   reports in jumps; the line is where the audio really is), and from its raw
//   reports, both around the mean offset;
// - the largest step: how far one sample's advance differs from the smooth
//   advance between two samples.
//
// Run with a sound server present (bench/run-audio.sh starts a null sink).
// With OBRIN_BENCH_DUMP=<prefix> set it also writes each run's samples.

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio_bench_setup.h"
#include "playback/qt/audio_player.h"

namespace {

using Clock = std::chrono::steady_clock;

// The sound server corrects its timing of a new stream once, some 2.6 s after
// it starts, by several milliseconds, and the player's clock takes that in
// within a second (see PlayClock); the measurement starts once the device has
// played this much.
constexpr double kWarmUpSeconds = 4.0;
constexpr double kWindowSeconds = 10.0;
// Seconds the three reads of one sample may take at most.
constexpr double kLongestRead = 0.0002;

struct Sample {
    double wall;
    double position;
    double device;
};

struct Figures {
    // The mean of position minus the device's clock; at other rates than 1.0
    // it holds the time-stretcher's lead, which is measured in the stream's
    // tests, so the deviations are taken around it.
    double offsetMs = 0;
    double trendDeviationMs = 0;
    double rawDeviationMs = 0;
    double stepMs = 0;
    double rawStepMs = 0;
    double deviceRate = 0;
    int backwards = 0;
    std::size_t samples = 0;
};

std::vector<Sample> Record(obrin::AudioPlayer& player, double rate, double startSeconds) {
    player.setRate(rate);
    player.setCurrentPosition(startSeconds);
    player.play();
    std::vector<Sample> samples;
    const auto t0 = Clock::now();
    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const double before = std::chrono::duration<double>(Clock::now() - t0).count();
        const double position = player.currentPosition();
        const double device = static_cast<double>(player.deviceMicroseconds()) / 1e6;
        const double after = std::chrono::duration<double>(Clock::now() - t0).count();
        // On a busy machine this thread may lose the processor between the
        // reads; such a sample says nothing about the player.
        if (device < kWarmUpSeconds || after - before > kLongestRead) return;
        const double wall = (before + after) / 2;
        samples.push_back({wall, position, device});
        if (wall - samples.front().wall >= kWindowSeconds) QCoreApplication::exit(0);
    });
    sampler.start(10);
    QCoreApplication::exec();
    player.pause();
    return samples;
}

Figures Analyse(const std::vector<Sample>& s, double rate, double startSeconds) {
    Figures f;
    f.samples = s.size();
    // Least-squares line of the device's clock against wall time.
    double mw = 0, md = 0;
    for (const Sample& x : s) {
        mw += x.wall;
        md += x.device;
    }
    mw /= double(s.size());
    md /= double(s.size());
    double cov = 0, var = 0;
    for (const Sample& x : s) {
        cov += (x.wall - mw) * (x.device - md);
        var += (x.wall - mw) * (x.wall - mw);
    }
    f.deviceRate = cov / var;
    for (const Sample& x : s) f.offsetMs += (x.position - startSeconds - rate * x.device) * 1e3;
    f.offsetMs /= double(s.size());
    const double offset = f.offsetMs / 1e3;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double trend = startSeconds + offset + rate * (md + f.deviceRate * (s[i].wall - mw));
        const double raw = startSeconds + offset + rate * s[i].device;
        f.trendDeviationMs = std::max(f.trendDeviationMs, std::abs(s[i].position - trend) * 1e3);
        f.rawDeviationMs = std::max(f.rawDeviationMs, std::abs(s[i].position - raw) * 1e3);
        if (i == 0) continue;
        const double smooth = rate * f.deviceRate * (s[i].wall - s[i - 1].wall);
        f.stepMs = std::max(f.stepMs, std::abs(s[i].position - s[i - 1].position - smooth) * 1e3);
        f.rawStepMs =
            std::max(f.rawStepMs, std::abs(rate * (s[i].device - s[i - 1].device) - smooth) * 1e3);
        if (s[i].position < s[i - 1].position) ++f.backwards;
    }
    return f;
}

// Writes the samples as "wall,position,device" lines (seconds) to
// <prefix><rate times ten>.csv, to study the device clock's behaviour.
void Dump(const std::vector<Sample>& samples, const std::string& prefix, double rate) {
    const std::string path = prefix + std::to_string(static_cast<int>(rate * 10)) + ".csv";
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return;
    }
    for (const Sample& x : samples) {
        std::fprintf(out, "%.6f,%.6f,%.6f\n", x.wall, x.position, x.device);
    }
    std::fclose(out);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (!obrin::bench::AudioOutputPresent()) return 1;
    const auto wav = obrin::bench::WriteTone("obrin-position-bench.wav", 30.0);
    obrin::AudioPlayer player;
    player.setFileName(wav.string());
    std::puts(
        "rate  samples  device-rate  offset(ms)  deviation(ms)  step(ms)  backwards  |  "
        "raw device clock: deviation(ms)  step(ms)");
    for (double rate : {1.0, 0.5}) {
        const double start = 1.0;
        const auto samples = Record(player, rate, start);
        if (const char* prefix = std::getenv("OBRIN_BENCH_DUMP")) Dump(samples, prefix, rate);
        const Figures f = Analyse(samples, rate, start);
        std::printf("%4.1f  %7zu  %11.5f  %10.2f  %13.2f  %8.2f  %9d  |  %31.2f  %8.2f\n", rate,
                    f.samples, f.deviceRate, f.offsetMs, f.trendDeviationMs, f.stepMs, f.backwards,
                    f.rawDeviationMs, f.rawStepMs);
    }
    player.setFileName("");
    std::filesystem::remove(wav);
    return 0;
}
