#pragma once

#include <string>
#include <vector>

namespace obrin {

// A unit's or a line end's time in centiseconds from the song's start, the
// resolution of the time-tag form; kNoUnitTime where none is set.
inline constexpr int kNoUnitTime = -1;

// One piece of a lyric line that is sung as one (a mora, a Latin word),
// timed on its own for karaoke. Text is Shift-JIS (CP932) bytes.
struct TimingUnit {
    std::string text{};
    int start = kNoUnitTime;

    bool operator==(const TimingUnit&) const = default;
};

// A line's split into timing units. The units' texts joined are the line's
// text; an empty split means the line has none of its own (the default split
// applies when one is needed). `end` is where the last unit's wipe ends.
struct LineUnits {
    std::vector<TimingUnit> units{};
    int end = kNoUnitTime;

    bool empty() const { return units.empty() && end == kNoUnitTime; }
    bool operator==(const LineUnits&) const = default;
};

}  // namespace obrin
