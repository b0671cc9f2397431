#include "document/unit_retime.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "base/time_text.h"
#include "document/karaoke_units.h"

namespace obrin {

namespace {

// Times beyond this would not fit the line's time in milliseconds.
constexpr int kLatestCentis = std::numeric_limits<std::int32_t>::max() / 10;

int LineStart(const LyricLine& line) {
    return TimeTextCentis(line.timeText);
}

// The latest time of the timed line before `line` (its start, a unit or its
// end), or 0 when there is none.
int PreviousLineLatest(const LyricList& lyrics, int line) {
    for (int i = line - 1; i >= 0; --i) {
        const LyricLine& before = lyrics.line(i);
        int latest = LineStart(before);
        if (latest <= 0) continue;
        for (const TimingUnit& unit : before.units.units) latest = std::max(latest, unit.start);
        return std::max(latest, before.units.end);
    }
    return 0;
}

int NextLineStart(const LyricList& lyrics, int line) {
    for (int i = line + 1; i < lyrics.count(); ++i) {
        const int start = LineStart(lyrics.line(i));
        if (start > 0) return start;
    }
    return UnitTimeRange::kOpen;
}

}  // namespace

int UnitTimeRange::clamp(int centis) const {
    return std::clamp(centis, low, high);
}

std::optional<UnitTimeRange> UnitRange(const LyricList& lyrics, int line, const LineUnits& units,
                                       int unit) {
    if (line < 0 || line >= lyrics.count()) return std::nullopt;
    const std::vector<TimingUnit>& all = units.units;
    const int count = static_cast<int>(all.size());
    const bool isEnd = unit == kLineEndUnit;
    if (!isEnd && (unit < 0 || unit >= count)) return std::nullopt;
    const int current = isEnd ? units.end : all[static_cast<std::size_t>(unit)].start;
    if (current == kNoUnitTime) return std::nullopt;

    const int before = isEnd ? count : unit;
    int low = unit == 0 ? PreviousLineLatest(lyrics, line) : 0;
    for (int i = before - 1; i >= 0; --i) {
        if (all[static_cast<std::size_t>(i)].start != kNoUnitTime) {
            low = all[static_cast<std::size_t>(i)].start;
            break;
        }
    }
    int high = kNoUnitTime;
    if (!isEnd) {
        for (int i = unit + 1; i < count && high == kNoUnitTime; ++i) {
            high = all[static_cast<std::size_t>(i)].start;
        }
        if (high == kNoUnitTime) high = units.end;
    }
    if (high == kNoUnitTime) high = NextLineStart(lyrics, line);
    return UnitTimeRange{.low = std::min(low, current), .high = std::max(high, current)};
}

void RetimeUnit(Document& document, int line, int unit, int centis) {
    LyricList& lyrics = document.lyrics;
    if (line < 0 || line >= lyrics.count()) return;
    const bool ownUnits = !lyrics.line(line).units.units.empty();
    LineUnits units = UnitsOf(lyrics.line(line), RubyIndex(document.ruby()));
    const std::optional<UnitTimeRange> range = UnitRange(lyrics, line, units, unit);
    if (!range || unit == kLineEndUnit) return;
    const int time = std::min(range->clamp(centis), kLatestCentis);
    const UndoHistory::Step step = document.history.beginStep("文字の時間の変更");
    units.units[static_cast<std::size_t>(unit)].start = time;
    if (unit == 0) {
        // The line's time moves every unit with it; the others are put back.
        lyrics.setTimeText(line, FormatTimeText(time * 10));
        if (!ownUnits) return;
    }
    lyrics.setUnits(line, std::move(units));
}

void RetimeLineEnd(Document& document, int line, int centis) {
    LyricList& lyrics = document.lyrics;
    if (line < 0 || line >= lyrics.count()) return;
    LineUnits units = UnitsOf(lyrics.line(line), RubyIndex(document.ruby()));
    const std::optional<UnitTimeRange> range = UnitRange(lyrics, line, units, kLineEndUnit);
    if (!range) return;
    const UndoHistory::Step step = document.history.beginStep("行末の時間の変更");
    units.end = std::min(range->clamp(centis), kLatestCentis);
    lyrics.setUnits(line, std::move(units));
}

}  // namespace obrin
