// Shift-JIS conversion at the sizes the editor meets: a whole lyrics file or
// clipboard at the GUI edge, up to a 10 MB text (run by hand; not a test).
#include <benchmark/benchmark.h>

#include <string>

#include "base/sjis_codec.h"

namespace {

std::string JapaneseText(std::size_t bytes) {
    const std::string line = obrin::Utf8ToSjis("[00:12:34]夢の中で～君を呼ぶ① ｱｲｳ abc\r\n");
    std::string text;
    while (text.size() < bytes) text += line;
    return text;
}

std::string RandomBytes(std::size_t bytes) {
    std::string text;
    text.reserve(bytes);
    unsigned state = 12345;
    while (text.size() < bytes) {
        state = state * 1103515245u + 12345u;
        text += static_cast<char>(state >> 16);
    }
    return text;
}

void BM_SjisToUtf8(benchmark::State& state) {
    const std::string sjis = JapaneseText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(obrin::SjisToUtf8(sjis));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sjis.size()));
}
BENCHMARK(BM_SjisToUtf8)->Arg(64 << 10)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

void BM_Utf8ToSjis(benchmark::State& state) {
    const std::string utf8 =
        obrin::SjisToUtf8(JapaneseText(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(obrin::Utf8ToSjis(utf8));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * utf8.size()));
}
BENCHMARK(BM_Utf8ToSjis)->Arg(64 << 10)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

// The worst case for the decoder: a third or more of the bytes are bad.
void BM_SjisToUtf8RandomBytes(benchmark::State& state) {
    const std::string bytes = RandomBytes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(obrin::SjisToUtf8(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_SjisToUtf8RandomBytes)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
