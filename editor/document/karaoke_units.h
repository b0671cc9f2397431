#pragma once

#include <vector>

#include "document/document.h"
#include "document/unit_split.h"

namespace obrin {

// A line's own units, or its default split (with the readings that apply at
// its time) when it has none; the first unit starts at the line's time.
[[nodiscard]] LineUnits UnitsOf(const LyricLine& line, const RubyIndex& ruby);

// Spreads from..to (centiseconds) over the units in proportion to their
// morae: each unit starts where the morae before it end.
void SpreadUnits(LineUnits& units, int from, int to);

// Fills the unit times of every timed line that has none (a draft the user
// corrects): its units share the time from the line's start to its end, or
// else to the next line's start, by their morae. A line with one unit, or
// with nothing after it to end at, is left as it is. One step of the
// history; returns how many lines it filled.
int SpreadUnitTimes(Document& document);

// The same for the given lines only (indexes in any order); with
// `replaceUnitTimes`, lines that already have unit times are spread again
// over their own units and end. Each line still ends at its own end or the
// next timed line's start, whether or not that line is among them.
int SpreadUnitTimes(Document& document, const std::vector<int>& lines, bool replaceUnitTimes);

}  // namespace obrin
