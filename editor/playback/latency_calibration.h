#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/player.h"
#include "base/signal.h"
#include "playback/click_track.h"

namespace obrin {

// What a calibration run found: how long after hearing a click the user
// pressed, and whether the presses agree well enough to set the mark offset
// from them.
struct CalibrationResult {
    static constexpr double kMostSpreadMs = 60;

    int clicks = 0;
    // Presses that answered a click (the first press after each click).
    int answered = 0;
    // Press minus the moment the click was heard: the median, and the spread
    // of the middle half of the presses (the interquartile range).
    double medianMs = 0;
    double spreadMs = 0;
    // Enough clicks were answered and the spread is at most kMostSpreadMs.
    bool accepted = false;
    // The mark offset that puts a mark where the line was heard, as the
    // offset field shows it ("-0.2"); set only when accepted.
    std::string proposedOffset;
};

// Pairs each click with the first press that answers it, and measures the
// answers. A press answers a click when it comes from a little before the
// click (an anticipating hand) until a little before the next click, and
// within kLatestAnswer; other presses count for nothing. Times are seconds of
// the track, as the player reports the heard position.
[[nodiscard]] CalibrationResult EvaluatePresses(const std::vector<double>& clickTimes,
                                                const std::vector<double>& pressTimes);

// One calibration run on a player that has the click track loaded: plays it
// from the start and notes the heard position at every press; the run ends
// when the player stops at the end of the track, or when cancelled.
class LatencyCalibration {
  public:
    LatencyCalibration(Player& player, ClickTrack track);
    ~LatencyCalibration();
    LatencyCalibration(const LatencyCalibration&) = delete;
    LatencyCalibration& operator=(const LatencyCalibration&) = delete;

    // Starts (or starts again) from the first click. Throws PlayerError when
    // the player cannot play.
    void start();
    // The user heard a click; ignored when no run is going on.
    void press();
    // Stops the run without a result.
    void cancel();

    [[nodiscard]] bool running() const { return running_; }
    // Clicks the listener has heard so far in this run.
    [[nodiscard]] int clicksHeard() const;
    [[nodiscard]] int clickCount() const { return static_cast<int>(track_.times.size()); }
    // Set once a run has played to the end.
    [[nodiscard]] const std::optional<CalibrationResult>& result() const { return result_; }

    // A run has ended with a result.
    Signal<> finished;

  private:
    void onPlayState(PlayState state);

    Player& player_;
    ClickTrack track_;
    Connection playState_;
    bool running_ = false;
    std::vector<double> presses_;
    std::optional<CalibrationResult> result_;
};

}  // namespace obrin
