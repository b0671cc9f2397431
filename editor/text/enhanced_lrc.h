#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/timing_units.h"

namespace obrin {

// Enhanced LRC: a word tag "<mm:ss.xx>" before each timed unit and one after
// the last for the line's end. `offsetMs` is added to every unit time, as the
// line's own tag has the document's offset in it. A unit without a time joins
// the text of the unit before it; the closing tag is written only where the
// line has an end time, so what is written reads back as it was. Shift-JIS.
[[nodiscard]] std::string WordTaggedText(const LineUnits& units, std::int64_t offsetMs,
                                         bool milliseconds);

// The units as the per-unit files write them: a unit without a time, or
// without text of its own (a reading's further mora), goes with the unit before
// it; the first keeps its time, kNoUnitTime when it has none.
[[nodiscard]] std::vector<TimingUnit> WrittenUnits(const LineUnits& units);

// True when the line has a unit with a time, so that word tags say something.
[[nodiscard]] bool HasUnitTimes(const LineUnits& units);

// The text after a line's time tags read as word tags: each tag starts a unit,
// a tag with nothing after it is the line's end, text ahead of the first tag is
// a unit at `lineCs`. Tags that are no time stay in the text. A unit earlier
// than the one before it keeps its text but loses its time (`outOfOrder`); an
// end before the last unit's start is dropped (`endBeforeLastUnit`).
struct WordTagsRead {
    std::string text{};
    LineUnits units{};
    bool outOfOrder = false;
    bool endBeforeLastUnit = false;
};
// No word tag in `rest` leaves `units` empty and `text` as `rest`. Times are
// centiseconds with `offsetMs` added, never below 0.
[[nodiscard]] WordTagsRead ReadWordTags(std::string_view rest, int lineCs, std::int64_t offsetMs);

}  // namespace obrin
