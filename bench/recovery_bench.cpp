// What one write of the recovery file costs while a user times karaoke: a
// 500-line document with every character a timed unit, formatted, and then
// formatted and written (temporary file, flush to the disk, rename) into a
// folder beside the other temporary files; and what the user-interface
// thread spends on one autosave: formatting it and handing it to the
// RecoveryWriter, which writes it on its own thread. That figure, not the
// write's, is how late a tap made meanwhile can be stamped, so it should stay
// within a couple of milliseconds.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/sjis_codec.h"
#include "base/time_text.h"
#include "document/document.h"
#include "document/unit_split.h"
#include "obrin_files/file_replacement.h"
#include "shell/recovery_file.h"
#include "shell/recovery_writer.h"

namespace obrin {
namespace {

constexpr int kLines = 500;

Document KaraokeDocument() {
    const std::string lyric = Utf8ToSjis("夜明けの街を君と歩こう明日もきっとどこまでも");
    Document document;
    document.lyrics.assign(std::vector<std::string>(kLines, lyric));
    int cs = 100;
    for (int i = 0; i < kLines; ++i) {
        LineUnits units{SplitIntoUnits(lyric)};
        document.lyrics.setTimeText(i, FormatTimeText(cs * 10));
        for (TimingUnit& unit : units.units) {
            unit.start = cs;
            cs += 23;
        }
        units.end = cs;
        document.lyrics.setUnits(i, units);
    }
    return document;
}

void BM_FormatRecoveryFile(benchmark::State& state) {
    const Document document = KaraokeDocument();
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatRecoveryFile(document, "/music/song.wav", {}, std::nullopt));
    }
}
BENCHMARK(BM_FormatRecoveryFile)->Unit(benchmark::kMillisecond);

void BM_WriteRecoveryFile(benchmark::State& state) {
    const Document document = KaraokeDocument();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "obrin_recovery_bench";
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / "obrin_recovery_bench.txt";
    for (auto _ : state) {
        if (WriteFileAtomically(
                file, FormatRecoveryFile(document, "/music/song.wav", {}, std::nullopt))) {
            state.SkipWithError("cannot write the recovery file");
            break;
        }
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_WriteRecoveryFile)->Unit(benchmark::kMillisecond);

void BM_UiThreadTimePerAutosave(benchmark::State& state) {
    const Document document = KaraokeDocument();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "obrin_recovery_bench_ui";
    std::filesystem::create_directories(folder);
    {
        RecoveryWriter writer(folder / "obrin_recovery_bench.txt", {},
                              [](const std::filesystem::path& file, std::string_view bytes) {
                                  return WriteFileAtomically(file, bytes);
                              });
        for (auto _ : state)
            writer.write(FormatRecoveryFile(document, "/music/song.wav", {}, std::nullopt));
        writer.waitIdle();
        if (writer.takeFailure()) state.SkipWithError("cannot write the recovery file");
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_UiThreadTimePerAutosave)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace obrin

BENCHMARK_MAIN();
