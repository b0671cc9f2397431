#pragma once

#include <limits>
#include <optional>

#include "document/document.h"

namespace obrin {

// As a unit index: the line's end, which is moved like a unit.
inline constexpr int kLineEndUnit = -1;

// Where a unit's time may go, in centiseconds, both ends included.
struct UnitTimeRange {
    static constexpr int kOpen = std::numeric_limits<int>::max();

    int low = 0;
    int high = kOpen;

    [[nodiscard]] int clamp(int centis) const;
    bool operator==(const UnitTimeRange&) const = default;
};

// The range in which unit `unit` of line `line` (kLineEndUnit: its end) can
// move without passing a neighbour. `units` are the line's units as shown
// (UnitsOf). A unit lies between the timed units before and after it; the
// last one before the line's end, or without one, the next timed line's
// start; the first one after the end, or the start, of the timed line
// before. The end lies between the last timed unit and the next timed line's
// start. A neighbour already on the wrong side of the unit (lines out of
// order) bounds it at where it is, so a move never makes the order worse.
// Nothing when the unit, the end or the line does not exist or has no time.
[[nodiscard]] std::optional<UnitTimeRange> UnitRange(const LyricList& lyrics, int line,
                                                     const LineUnits& units, int unit);

// Gives unit `unit` of `line` the time `centis`, held within its UnitRange,
// as one step of the history ("文字の時間の変更"), as dragging its tick on
// the waveform does. The first unit is the line's time: the line's time moves
// with it, but the other units stay where they were. A line, unit or end that
// no longer exists or has no time is left as it is.
void RetimeUnit(Document& document, int line, int unit, int centis);
// The same for the line's end ("行末の時間の変更").
void RetimeLineEnd(Document& document, int line, int centis);

}  // namespace obrin
