// Plays a tone for 60 s at rates 0.5, 1.0 and 2.0 while other threads keep
// every core busy and the user-interface thread is blocked for 200 ms once a
// second, records the null sink's monitor with parec, and finds the gaps the
// listener would hear: runs of silence within the tone. Prints per rate
//
//   rate R: underruns N, longest gap M ms
//
// Run with the null sink bench/run-audio.sh starts (its monitor is
// obrin_null.monitor; OBRIN_MONITOR names another).

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "audio_bench_setup.h"
#include "playback/qt/audio_player.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kPlaySeconds = 60.0;
constexpr int kRecordRate = 44100;
constexpr auto kBlockEvery = std::chrono::milliseconds(1000);
constexpr auto kBlockFor = std::chrono::milliseconds(200);
// The tone is a 440 Hz sine at half of full scale: it stays above kQuiet for
// all but a few microseconds around each zero crossing, so a run of quiet
// samples this long is a gap, not a crossing.
constexpr float kQuiet = 0.01f;
constexpr double kShortestGapMs = 0.5;

struct Gaps {
    int count = 0;
    double longestMs = 0;
};

// Runs of silence between the first and the last sound of the recording.
Gaps FindGaps(const std::vector<float>& samples) {
    const auto loud = [](float s) { return std::abs(s) > 5 * kQuiet; };
    const auto first = std::find_if(samples.begin(), samples.end(), loud);
    const auto last = std::find_if(samples.rbegin(), samples.rend(), loud).base();
    Gaps gaps;
    std::size_t run = 0;
    const auto shortest = static_cast<std::size_t>(kShortestGapMs * kRecordRate / 1000);
    for (auto it = first; it < last; ++it) {
        if (std::abs(*it) < kQuiet) {
            ++run;
            continue;
        }
        if (run >= shortest) {
            ++gaps.count;
            gaps.longestMs =
                std::max(gaps.longestMs, 1000.0 * static_cast<double>(run) / kRecordRate);
        }
        run = 0;
    }
    return gaps;
}

std::vector<float> ReadFloats(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<float> samples(std::filesystem::file_size(path) / sizeof(float));
    in.read(reinterpret_cast<char*>(samples.data()),
            static_cast<std::streamsize>(samples.size() * sizeof(float)));
    return samples;
}

// Keeps every core busy until told to stop.
class Load {
  public:
    Load() {
        for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i) {
            threads_.emplace_back([this] {
                volatile double x = 1.0;
                while (!stop_.load(std::memory_order_relaxed)) x = std::sqrt(x + 1.0);
            });
        }
    }
    ~Load() {
        stop_ = true;
        for (std::thread& t : threads_) t.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

// Plays at `rate` under load while parec records the monitor to `recording`;
// false when parec could not be started.
bool PlayUnderLoad(obrin::AudioPlayer& player, double rate,
                   const std::filesystem::path& recording) {
    const char* monitor = std::getenv("OBRIN_MONITOR");
    QProcess parec;
    parec.setStandardOutputFile(QString::fromStdString(recording.string()));
    parec.start("parec",
                {"-d", monitor ? monitor : "obrin_null.monitor", "--raw", "--format=float32le",
                 "--rate=" + QString::number(kRecordRate), "--channels=1"});
    if (!parec.waitForStarted()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    player.setRate(rate);
    player.setCurrentPosition(0);
    {
        const Load load;
        player.play();
        QTimer blocker;
        QObject::connect(&blocker, &QTimer::timeout, [] {
            const auto until = Clock::now() + kBlockFor;
            while (Clock::now() < until) {
            }
        });
        blocker.start(kBlockEvery);
        QTimer::singleShot(static_cast<int>(kPlaySeconds * 1000),
                           [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        player.pause();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    parec.terminate();
    parec.waitForFinished();
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (!obrin::bench::AudioOutputPresent()) return 1;
    // Long enough for 60 s at twice normal speed.
    const auto wav = obrin::bench::WriteTone("obrin-stress-bench.wav", kPlaySeconds * 2 + 5);
    const auto recording = std::filesystem::temp_directory_path() / "obrin-stress-bench.raw";
    obrin::AudioPlayer player;
    player.setFileName(wav.string());
    int status = 0;
    for (double rate : {0.5, 1.0, 2.0}) {
        if (!PlayUnderLoad(player, rate, recording)) {
            std::puts("cannot start parec (pulseaudio-utils)");
            status = 1;
            break;
        }
        const Gaps gaps = FindGaps(ReadFloats(recording));
        std::printf("rate %.1f: underruns %d, longest gap %.0f ms\n", rate, gaps.count,
                    gaps.longestMs);
        std::fflush(stdout);
    }
    player.setFileName("");
    std::filesystem::remove(wav);
    std::filesystem::remove(recording);
    return status;
}
