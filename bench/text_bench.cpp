// The lyrics text at scale: a 100,000-line paste expanded, and a 100,000-line
// tagged file read and rebuilt into its completed text.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "text/completed_text.h"
#include "text/lyrics_expansion.h"
#include "text/tagged_lyrics_reader.h"
#include "text/text_lines.h"

namespace obrin {
namespace {

constexpr int kLines = 100000;

// Plain lyrics with a ※ chorus every 20 lines, blank lines, ideographic
// spaces and "@" lines, so every rule of the expansion does work.
std::string PlainLyrics() {
    std::string text =
        "\x81\xA6\x82\xB3\x82\xA0\x81\x40\x89\xCC\x82\xA8\x82\xA4\r\n"
        "\x81\x40\x82\xC7\x82\xB1\x82\xDC\x82\xC5\x82\xE0\x81\xA6\r\n";
    for (int i = 2; i < kLines; ++i) {
        if (i % 20 == 0) {
            text += "\x81\xA6\x82\xAD\x82\xE8\x95\xD4\x82\xB5\r\n";
        } else if (i % 7 == 0) {
            text += "\r\n";
        } else if (i % 97 == 0) {
            text += "@Info=" + std::to_string(i) + "\r\n";
        } else {
            text += "\x81\x40 line " + std::to_string(i) + " \x82\xA0\x82\xA2\x82\xA4  \r\n";
        }
    }
    return text;
}

std::string TaggedLyrics() {
    std::string text = "@Title=bench\r\n@Artist=obrin\r\n@Offset=120\r\n";
    for (int i = 0; i < kLines; ++i) {
        const int cs = i * 37;
        char tag[32];
        std::snprintf(tag, sizeof tag, "[%02d:%02d:%02d]", cs / 6000, (cs / 100) % 60, cs % 100);
        text += tag;
        text += "\x82\xB1\x82\xF1[00:00:01]\x82\xC9\x82\xBF\x82\xCD " + std::to_string(i) + "\r\n";
    }
    return text + "\r\n@TimeRatio=1\r\n";
}

void BM_ExpandPaste(benchmark::State& state) {
    const std::string text = PlainLyrics();
    std::size_t lines = 0;
    for (auto _ : state) {
        Document document;
        PasteWithExpansion(document, CutLines(text), ExpansionOptions{});
        lines = static_cast<std::size_t>(document.lyrics.count());
        benchmark::DoNotOptimize(lines);
    }
    state.counters["output_lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_ExpandPaste)->Unit(benchmark::kMillisecond);

void BM_ReadAndRebuildTagged(benchmark::State& state) {
    const std::string text = TaggedLyrics();
    for (auto _ : state) {
        Document document;
        ReadTaggedLyricsText(document, text, ReaderOptions{});
        const std::string bytes =
            JoinLinesCrLf(BuildCompletedText(document, CompletedTextOptions{}));
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["input_MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_ReadAndRebuildTagged)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace obrin

BENCHMARK_MAIN();
