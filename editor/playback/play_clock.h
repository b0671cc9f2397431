#pragma once

#include <deque>

namespace obrin {

// Turns the audio device's count of played frames into a clock that advances
// smoothly and never backwards. A sound server reports that count in jumps:
// PulseAudio refreshes its timing only every second and a half, extrapolates
// with the local clock in between and then corrects by several milliseconds,
// so single reports wander around where the audio really is. This clock
// follows their trend instead: the nominal rate through the mean of the last
// three seconds of reports. It steers towards that line, at most a tenth
// faster, or slower down to a halt, and never runs more than a few
// milliseconds ahead of the device, so a stall stops it at once; a device
// that falls behind the line or skips far ahead starts a new trend. Only a
// stall that no report showed while it lasted (the caller was held up, and
// the device ran out of audio meanwhile) sets it back, to where the device
// says it is.
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
    struct Report {
        double time;
        double frames;
    };
    // Where the trend of the recent reports puts the device at `now`.
    [[nodiscard]] double trendAt(double now) const;

    double rate_;
    bool started_ = false;
    // When the device first reported playing.
    double startTime_ = 0;
    Report latest_{};
    // The reports of the last few seconds, oldest first.
    std::deque<Report> recent_;
    double time_ = 0;
    double frames_ = 0;
};

}  // namespace obrin
