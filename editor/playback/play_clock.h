#pragma once

namespace obrin {

// Turns the audio device's count of played frames into a clock that advances
// smoothly and never backwards. A sound server reports that count in jumps: it
// extrapolates with the local clock between its timing updates and corrects
// by tens of milliseconds when one arrives, and the device's rate wanders a
// little from the local clock's. This clock runs at the nominal rate and
// steers towards the device, at most a tenth faster, or slower down to a halt,
// so a correction is spread over a few hundred milliseconds instead of showing
// as a step; it never runs more than a few milliseconds ahead of the device.
//
// Times are seconds on a monotonic clock; counts are frames of the device.
class PlayClock {
  public:
    explicit PlayClock(double framesPerSecond) : rate_(framesPerSecond) {}

    // Forgets everything; the next report starts a new run.
    void reset();
    // Records that the device had played `frames` at time `now`.
    void sample(double now, double frames);
    // Frames played at `now`; 0 until the device has reported playing.
    [[nodiscard]] double playedAt(double now);

  private:
    double rate_;
    bool started_ = false;
    double reportTime_ = 0;
    double reportFrames_ = 0;
    double time_ = 0;
    double frames_ = 0;
};

}  // namespace obrin
