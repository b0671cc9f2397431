#include "document/karaoke_units.h"

#include <cstdint>
#include <numeric>

namespace obrin {

LineUnits UnitsOf(const LyricLine& line, const RubyIndex& ruby) {
    if (!line.units.units.empty()) return line.units;
    const int time = TimeTextCentis(line.timeText);
    LineUnits units{.units = SplitIntoUnits(line.lyricText, ruby, time)};
    if (!units.units.empty()) units.units.front().start = time;
    return units;
}

void SpreadUnits(LineUnits& units, int from, int to) {
    std::int64_t total = 0;
    for (const TimingUnit& unit : units.units) total += UnitMorae(unit);
    std::int64_t before = 0;
    for (TimingUnit& unit : units.units) {
        unit.start = from + static_cast<int>((std::int64_t{to} - from) * before / total);
        before += UnitMorae(unit);
    }
}

int SpreadUnitTimes(Document& document) {
    std::vector<int> every(static_cast<std::size_t>(document.lyrics.count()));
    std::iota(every.begin(), every.end(), 0);
    return SpreadUnitTimes(document, every, false);
}

int SpreadUnitTimes(Document& document, const std::vector<int>& lines, bool replaceUnitTimes) {
    const UndoHistory::Step step = document.history.beginStep("タイミングの割り振り");
    const RubyIndex ruby(document.ruby());
    LyricList& lyrics = document.lyrics;
    std::vector<bool> chosen(static_cast<std::size_t>(lyrics.count()), false);
    for (const int i : lines)
        if (i >= 0 && i < lyrics.count()) chosen[static_cast<std::size_t>(i)] = true;
    int filled = 0;
    // The next timed line's start, found from the end so the pass stays linear.
    int next = kNoUnitTime;
    for (int i = lyrics.count() - 1; i >= 0; --i) {
        const LyricLine& line = lyrics.line(i);
        const int time = TimeTextCentis(line.timeText);
        const int nextStart = next;
        if (time > 0) next = time;
        if (!chosen[static_cast<std::size_t>(i)] || time <= 0) continue;
        if (line.units.timed() && !replaceUnitTimes) continue;
        LineUnits units = UnitsOf(line, ruby);
        const int end = units.end != kNoUnitTime ? units.end : nextStart;
        if (units.units.size() < 2 || end == kNoUnitTime || end <= time) continue;
        SpreadUnits(units, time, end);
        lyrics.setUnits(i, std::move(units));
        ++filled;
    }
    return filled;
}

}  // namespace obrin
