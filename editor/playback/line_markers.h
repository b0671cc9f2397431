#pragma once

#include <cstdint>
#include <vector>

namespace obrin {

class LyricList;
class WaveformViewport;

// A timed line as the waveform strip marks it; `draft` for an untimed line
// marked at its draft's start.
struct LineMarker {
    int line = 0;
    std::int32_t ms = 0;
    bool draft = false;
};

// Every line whose time reads as a time after the start of the song, in list
// order, and every untimed line with a draft at the draft's start. Other
// untimed lines ("00:00:00") have no marker: a freshly pasted list would pile
// them all at the left edge.
[[nodiscard]] std::vector<LineMarker> TimedLineMarkers(const LyricList& lyrics);

// The index in `markers` of the marker nearest to x within `tolerance`
// pixels, or -1. Of markers at the same place the later line wins, as it is
// the one drawn on top.
[[nodiscard]] int MarkerNear(const std::vector<LineMarker>& markers, const WaveformViewport& view,
                             double x, double tolerance);

}  // namespace obrin
