#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/unit_retime.h"

namespace obrin {

class Document;
class WaveformViewport;

// A tick the waveform strip shows for the current line's karaoke timing: a
// unit that has a time, or the line's end (unit kLineEndUnit).
struct UnitTick {
    int unit = 0;
    std::int32_t ms = 0;
    // Shift-JIS. The unit's text; for a further mora of a reading, that mora
    // of the reading (empty when the reading is gone); empty for the end.
    std::string label{};
    // Where a drag may take the tick (UnitRange).
    UnitTimeRange range{};
};

// The ticks of line `line`: its units that have times, in order (the first
// at the line's time, as its default split has it when the line has no
// units of its own), then its end when it has one. None when the line does
// not exist or has no time after the song's start (no marker either).
[[nodiscard]] std::vector<UnitTick> UnitTicks(const Document& document, int line);

// The strip's rows the ticks stand in, from `top` down to `bottom`: below
// the middle of the wave and above the onset ticks along the bottom, so that
// the first unit's tick and its line's marker, which share a time, are each
// seen and taken where they show.
struct UnitTickBand {
    double top = 0.0;
    double bottom = 0.0;
};
[[nodiscard]] UnitTickBand UnitBandOf(int stripHeight);

// The index in `ticks` of the tick nearest to x within `tolerance` pixels
// when y is in the band or below it, or -1. Of ticks at the same place the
// later wins: a pile of taps made at one moment is pulled apart to the right.
[[nodiscard]] int UnitTickNear(const std::vector<UnitTick>& ticks, const WaveformViewport& view,
                               int stripHeight, double x, double y, double tolerance);

// The time a tick dragged to x takes: the time under x within the song, on
// the centisecond grid of unit times, held within the tick's range.
[[nodiscard]] std::int32_t UnitTickMsAt(const UnitTick& tick, const WaveformViewport& view,
                                        double x);

}  // namespace obrin
