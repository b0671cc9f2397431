#include "playback/play_clock.h"

#include <algorithm>

namespace obrin {

namespace {
// Seconds in which the clock closes most of a gap to the device: long enough
// to smooth the server's corrections, short enough that a steady drift of the
// device's rate leaves only a millisecond or two of lag.
constexpr double kSteering = 0.2;
// The fastest the clock may run to catch up, relative to nominal.
constexpr double kMaxCatchUp = 0.1;
// A gap (seconds) the clock jumps rather than steers across: the device skipped
// ahead, and running fast for seconds would be worse than one jump.
constexpr double kJump = 0.25;
// How far (seconds) the clock may run ahead of the device: a stalled device
// stops it there, and a server that corrects its count downwards halts it
// until the device has caught up, rather than making it step back.
constexpr double kLead = 0.02;
}  // namespace

void PlayClock::reset() {
    started_ = false;
}

void PlayClock::sample(double now, double frames) {
    if (frames <= 0 && !started_) return;  // the device has not started playing
    (void)playedAt(now);
    if (!started_) {
        started_ = true;
        time_ = now;
        frames_ = frames;
    }
    reportTime_ = now;
    reportFrames_ = frames;
}

double PlayClock::playedAt(double now) {
    if (!started_) return 0;
    const double elapsed = std::max(0.0, now - time_);
    const double freeRun = frames_ + elapsed * rate_;
    // The server extrapolates its own count between reports the same way.
    const double device = reportFrames_ + std::max(0.0, now - reportTime_) * rate_;
    const double gap = device - freeRun;
    if (gap > kJump * rate_) {
        frames_ = device;
    } else {
        const double steer = gap * std::min(1.0, elapsed / kSteering);
        const double steered =
            freeRun + std::clamp(steer, -elapsed * rate_, elapsed * rate_ * kMaxCatchUp);
        frames_ = std::max(frames_, std::min(steered, device + kLead * rate_));
    }
    time_ = std::max(time_, now);
    return frames_;
}

}  // namespace obrin
