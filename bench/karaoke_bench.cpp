// Karaoke timing at the sizes a song has: a 500-line file with a tag before
// every character read and written back (target under 20 ms), and MeCab's
// readings for 100 lines after its dictionary is loaded (target under
// 100 ms; the load is timed on its own and printed).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "base/sjis_codec.h"
#include "text/completed_text.h"
#include "text/ruby_suggestions.h"
#include "text/tagged_lyrics_reader.h"
#include "text/text_lines.h"

namespace obrin {
namespace {

constexpr int kLines = 500;
const std::string kLyric = Utf8ToSjis("夜明けの街を君と歩こう明日もきっとどこまでも");

std::string Tag(int cs) {
    char tag[32];
    std::snprintf(tag, sizeof tag, "[%02d:%02d:%02d]", cs / 6000, (cs / 100) % 60, cs % 100);
    return tag;
}

std::string TaggedPerCharacter() {
    std::string text;
    int cs = 100;
    for (int i = 0; i < kLines; ++i) {
        for (std::size_t pos = 0; pos < kLyric.size(); pos += 2, cs += 23)
            text += Tag(cs) + kLyric.substr(pos, 2);
        text += Tag(cs) + "\r\n";
    }
    return text + "\r\n" + Utf8ToSjis("@Ruby1=明日,あ[00:00:20]し[00:00:40]た") +
           "\r\n@TimeRatio=1\r\n";
}

void BM_ReadAndWritePerCharacter(benchmark::State& state) {
    const std::string file = TaggedPerCharacter();
    for (auto _ : state) {
        Document document;
        (void)ReadTaggedLyricsText(document, file, {});
        const std::string written = JoinLinesCrLf(BuildCompletedText(document, {}));
        benchmark::DoNotOptimize(written);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(file.size()));
}
BENCHMARK(BM_ReadAndWritePerCharacter)->Unit(benchmark::kMillisecond);

void BM_SuggestReadings(benchmark::State& state) {
    const auto started = std::chrono::steady_clock::now();
    const auto suggester = RubySuggester::open();
    const auto loaded = std::chrono::steady_clock::now();
    if (!suggester) {
        state.SkipWithError("no MeCab dictionary");
        return;
    }
    state.counters["load_ms"] = std::chrono::duration<double, std::milli>(loaded - started).count();
    std::vector<std::string> lines(100, kLyric);
    for (int i = 0; i < 100; ++i) lines[i] += Utf8ToSjis(i % 2 ? "空を見上げて" : "二人の時間");
    for (auto _ : state) benchmark::DoNotOptimize(suggester->suggest(lines, {}));
}
BENCHMARK(BM_SuggestReadings)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace obrin

BENCHMARK_MAIN();
