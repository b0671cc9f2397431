#include "playback/waveform_viewport.h"

#include <algorithm>
#include <cmath>

namespace obrin {

void WaveformViewport::setSong(double durationSeconds, double finestSecondsPerPixel) {
    duration_ = std::max(durationSeconds, 0.0);
    finest_ = finestSecondsPerPixel > 0 ? finestSecondsPerPixel : 0.005;
    overview_ = true;
    start_ = 0.0;
    perPixel_ = overviewPerPixel();
}

void WaveformViewport::setWidth(int pixels) {
    width_ = std::max(pixels, 1);
    if (overview_) perPixel_ = overviewPerPixel();
    clampStart();
}

double WaveformViewport::overviewPerPixel() const {
    return std::max(duration_ / width_, finest_);
}

void WaveformViewport::zoomAt(double x, double notches) {
    const double anchor = timeAt(x);
    const double coarsest = overviewPerPixel();
    perPixel_ = std::clamp(perPixel_ / std::pow(kZoomPerNotch, notches), finest_, coarsest);
    overview_ = perPixel_ >= coarsest;
    start_ = anchor - x * perPixel_;
    clampStart();
}

void WaveformViewport::scrollBy(double pixels) {
    start_ += pixels * perPixel_;
    clampStart();
}

void WaveformViewport::follow(double headSeconds) {
    const double span = spanSeconds();
    if (headSeconds >= start_ && headSeconds <= start_ + kFollowEdge * span) return;
    start_ = headSeconds - kFollowLead * span;
    clampStart();
}

void WaveformViewport::clampStart() {
    start_ = std::clamp(start_, 0.0, std::max(duration_ - spanSeconds(), 0.0));
}

}  // namespace obrin
