#pragma once

#include <string>
#include <vector>

namespace obrin {

// A unit's or a line end's time in centiseconds from the song's start, the
// resolution of the time-tag form; kNoUnitTime where none is set.
inline constexpr int kNoUnitTime = -1;

// One piece of a lyric line that is sung as one (a mora, a Latin word),
// timed on its own for karaoke. Text is Shift-JIS (CP932) bytes. A kanji run
// with a reading is one unit per mora of the reading: the first holds the
// run's text, the others hold none (each is one more mora of the same run).
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
    // True when some unit after the first or the end has a time.
    bool timed() const;
    bool operator==(const LineUnits&) const = default;
};

// A reading (ruby) of a base text, kept per document. `morae` is the reading
// cut into morae; each one's start is counted from the base's own start
// (kNoUnitTime where the reading gives none). The reading applies to the
// occurrences on lines timed from `from` up to, not including, `to`; either
// may be kNoUnitTime, which leaves that side open. An empty reading says the
// base has none within its range.
struct RubyReading {
    std::string base{};
    std::vector<TimingUnit> morae{};
    int from = kNoUnitTime;
    int to = kNoUnitTime;

    std::string reading() const;
    bool appliesAt(int time) const;
    bool operator==(const RubyReading&) const = default;
};

// The document's readings, in the order of its ruby lines; for one
// occurrence the first that applies wins.
using RubyTable = std::vector<RubyReading>;

}  // namespace obrin
