#include "playback/line_markers.h"

#include <cmath>

#include "base/conversion_error.h"
#include "base/time_text.h"
#include "document/lyric_list.h"
#include "playback/waveform_viewport.h"

namespace obrin {

std::vector<LineMarker> TimedLineMarkers(const LyricList& lyrics) {
    std::vector<LineMarker> markers;
    for (int i = 0; i < lyrics.count(); ++i) {
        const LyricLine& line = lyrics.line(i);
        try {
            const std::int32_t ms = ParseTimeText(line.timeText);
            if (ms > 0) {
                markers.push_back({i, ms});
            } else if (!line.draft.empty()) {
                markers.push_back({i, line.draft.start * 10, true});
            }
        } catch (const ConversionError&) {
            // A time of 100 minutes or more cannot be read back; it has no
            // place on the strip either.
        }
    }
    return markers;
}

int MarkerNear(const std::vector<LineMarker>& markers, const WaveformViewport& view, double x,
               double tolerance) {
    int nearest = -1;
    double best = tolerance;
    for (int i = 0; i < static_cast<int>(markers.size()); ++i) {
        const double distance = std::abs(view.xAt(markers[i].ms / 1000.0) - x);
        if (distance <= best) {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}

}  // namespace obrin
