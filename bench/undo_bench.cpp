// What the undo history adds to each edit: a Mark-sized step (one time text)
// on lists of growing length, and an undo and redo of it. Every step copies
// the document's content twice, so its cost grows with the lyrics.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "document/document.h"

namespace obrin {
namespace {

void FillLines(Document& document, int lines) {
    std::vector<std::string> texts;
    for (int i = 0; i < lines; ++i)
        texts.push_back("\x82\xA0\x82\xA2\x82\xA4 line " + std::to_string(i));
    document.lyrics.assign(texts);
}

void BM_StepOneTime(benchmark::State& state) {
    Document document;
    FillLines(document, static_cast<int>(state.range(0)));
    int tick = 0;
    for (auto _ : state) {
        const UndoHistory::Step step = document.history.beginStep("マーク");
        document.lyrics.setTimeText(0, std::to_string(++tick % 2));
    }
}
BENCHMARK(BM_StepOneTime)->Arg(100)->Arg(512)->Arg(5000)->Unit(benchmark::kMicrosecond);

void BM_UndoAndRedoOneTime(benchmark::State& state) {
    Document document;
    FillLines(document, static_cast<int>(state.range(0)));
    {
        const UndoHistory::Step step = document.history.beginStep("マーク");
        document.lyrics.setTimeText(0, "00:01:00");
    }
    for (auto _ : state) {
        document.history.undo();
        document.history.redo();
    }
}
BENCHMARK(BM_UndoAndRedoOneTime)->Arg(100)->Arg(512)->Arg(5000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace obrin

BENCHMARK_MAIN();
