#include "playback/latency_calibration.h"

#include <algorithm>
#include <cmath>

#include "document/mark_offset.h"

namespace obrin {

namespace {

// A press this long before a click still answers it: a hand that has caught
// the rhythm may come early.
constexpr double kEarliestAnswer = 0.1;
// And one this long after it no longer does.
constexpr double kLatestAnswer = 1.0;
// Share of the clicks that must be answered for a result to count.
constexpr double kLeastAnswered = 2.0 / 3.0;
// The mark offset's range (seconds).
constexpr double kLargestOffset = 9.9;

// The value `share` of the way through sorted `values`, between neighbours.
double Quantile(const std::vector<double>& sorted, double share) {
    const double at = share * static_cast<double>(sorted.size() - 1);
    const auto below = static_cast<std::size_t>(std::floor(at));
    const std::size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (sorted[above] - sorted[below]) * (at - static_cast<double>(below));
}

}  // namespace

CalibrationResult EvaluatePresses(const std::vector<double>& clickTimes,
                                  const std::vector<double>& pressTimes) {
    CalibrationResult result;
    result.clicks = static_cast<int>(clickTimes.size());
    std::vector<double> presses = pressTimes;
    std::sort(presses.begin(), presses.end());
    std::vector<double> answers;
    for (std::size_t i = 0; i < clickTimes.size(); ++i) {
        const double from = clickTimes[i] - kEarliestAnswer;
        double until = clickTimes[i] + kLatestAnswer;
        if (i + 1 < clickTimes.size()) until = std::min(until, clickTimes[i + 1] - kEarliestAnswer);
        const auto first = std::lower_bound(presses.begin(), presses.end(), from);
        if (first != presses.end() && *first < until) answers.push_back(*first - clickTimes[i]);
    }
    result.answered = static_cast<int>(answers.size());
    if (answers.empty()) return result;
    std::sort(answers.begin(), answers.end());
    result.medianMs = Quantile(answers, 0.5) * 1000;
    result.spreadMs = (Quantile(answers, 0.75) - Quantile(answers, 0.25)) * 1000;
    result.accepted = answers.size() >= kLeastAnswered * static_cast<double>(clickTimes.size()) &&
                      result.spreadMs <= CalibrationResult::kMostSpreadMs;
    if (result.accepted) {
        const double offset = std::clamp(-result.medianMs / 1000, -kLargestOffset, kLargestOffset);
        result.proposedOffset = FormatOneDecimal(offset);
    }
    return result;
}

LatencyCalibration::LatencyCalibration(Player& player, ClickTrack track)
    : player_(player),
      track_(std::move(track)),
      playState_(player.playStateChanged.connect([this](PlayState s) { onPlayState(s); })) {}

LatencyCalibration::~LatencyCalibration() {
    cancel();
}

void LatencyCalibration::start() {
    cancel();
    presses_.clear();
    result_.reset();
    player_.setCurrentPosition(0);
    running_ = true;
    try {
        player_.play();
    } catch (const PlayerError&) {
        running_ = false;
        throw;
    }
}

void LatencyCalibration::press() {
    if (running_) presses_.push_back(player_.heardPosition());
}

void LatencyCalibration::cancel() {
    if (!running_) return;
    running_ = false;
    player_.stop();
}

int LatencyCalibration::clicksHeard() const {
    if (!running_) return result_ ? clickCount() : 0;
    const double now = player_.currentPosition();
    return static_cast<int>(std::upper_bound(track_.times.begin(), track_.times.end(), now) -
                            track_.times.begin());
}

void LatencyCalibration::onPlayState(PlayState state) {
    if (!running_ || state == PlayState::Playing) return;
    running_ = false;
    result_ = EvaluatePresses(track_.times, presses_);
    finished();
}

}  // namespace obrin
