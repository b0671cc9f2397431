#include "playback/play_clock.h"

#include <algorithm>

namespace obrin {

namespace {
// Seconds of reports whose mean places the trend: two of the server's timing
// periods, so its corrections average out. A device off the nominal rate by a
// fraction d leaves the clock d * kWindow / 2 behind (0.15 ms at 100 ppm).
constexpr double kWindow = 3.0;
// Seconds in which the clock closes most of a gap to the trend.
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
// How far (seconds) a report may fall behind the trend before the trend is
// started anew from it: further than the server's corrections go, so a device
// that stalled or was set back is followed at once.
constexpr double kBehind = 0.01;
// The server's timing of a new stream is rough at first: PulseAudio refreshes
// it at doubling intervals up to 1.28 s, and its corrections come and go
// until the refresh some 2.6 s in, which settles it (on a null sink: -8 ms at
// 0.7 s, then +7 ms at 2.6 s), after which its corrections stay small. What it
// said before that refresh would hold the trend off for a whole window, so a
// correction larger than kSettle (seconds) between kSettlingFrom and
// kSettlingUntil of the start begins the trend anew; all others are averaged.
constexpr double kSettlingFrom = 2.0;
constexpr double kSettlingUntil = 3.0;
constexpr double kSettle = 0.003;
}  // namespace

void PlayClock::reset() {
    started_ = false;
    recent_.clear();
}

void PlayClock::sample(double now, double frames) {
    if (frames <= 0 && !started_) return;  // the device has not started playing
    // No report came for longer than the clock may run ahead on its own (the
    // caller was held up), so it ran on unchecked; a device that stalled
    // meanwhile, as one whose audio ran out does, is where it says.
    const bool unchecked = started_ && now - latest_.time > kLead;
    (void)playedAt(now);
    if (!started_ || (unchecked && frames_ - frames > kLead * rate_)) {
        if (!started_) startTime_ = now;
        started_ = true;
        recent_.clear();
        time_ = now;
        frames_ = frames;
    } else {
        // A device that stalled or skipped is where it says; its older reports
        // would only hold the trend back.
        const double trend = trendAt(now);
        if (frames < trend - kBehind * rate_ || frames > trend + kJump * rate_) recent_.clear();
        const double correction = frames - (latest_.frames + (now - latest_.time) * rate_);
        const double age = now - startTime_;
        if (age > kSettlingFrom && age < kSettlingUntil &&
            std::abs(correction) > kSettle * rate_) {
            recent_.clear();
        }
    }
    latest_ = {now, frames};
    recent_.push_back(latest_);
    while (recent_.front().time < now - kWindow) recent_.pop_front();
}

double PlayClock::trendAt(double now) const {
    double offset = 0;
    for (const Report& r : recent_) offset += r.frames - rate_ * (r.time - latest_.time);
    offset /= static_cast<double>(recent_.size());
    return offset + rate_ * (now - latest_.time);
}

double PlayClock::playedAt(double now) {
    if (!started_) return 0;
    const double elapsed = std::max(0.0, now - time_);
    const double freeRun = frames_ + elapsed * rate_;
    // The server extrapolates its own count between reports the same way.
    const double device = latest_.frames + std::max(0.0, now - latest_.time) * rate_;
    if (device - freeRun > kJump * rate_) {
        frames_ = device;
    } else {
        const double steer = (trendAt(now) - freeRun) * std::min(1.0, elapsed / kSteering);
        const double steered =
            freeRun + std::clamp(steer, -elapsed * rate_, elapsed * rate_ * kMaxCatchUp);
        frames_ = std::max(frames_, std::min(steered, device + kLead * rate_));
    }
    time_ = std::max(time_, now);
    return frames_;
}

}  // namespace obrin
