#include "playback/latency_calibration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fake_player.h"
#include "playback/wav_reader.h"
#include "temp_folder.h"

namespace obrin {
namespace {

const ClickTrack kTrack = CalibrationClicks();

// A press `lagMs` after every click, moved by the next of `jitterMs` in turn.
std::vector<double> PressesAfter(double lagMs, const std::vector<double>& jitterMs = {0}) {
    std::vector<double> presses;
    for (std::size_t i = 0; i < kTrack.times.size(); ++i) {
        presses.push_back(kTrack.times[i] + (lagMs + jitterMs[i % jitterMs.size()]) / 1000);
    }
    return presses;
}

struct PressCase {
    const char* name;
    std::vector<double> presses;
    int answered;
    double medianMs;
    double spreadMs;
    // Empty when the result is refused.
    std::string proposedOffset;
};

class EvaluatePressesTest : public testing::TestWithParam<PressCase> {};

TEST_P(EvaluatePressesTest, MedianSpreadAndProposal) {
    const PressCase& c = GetParam();
    const CalibrationResult r = EvaluatePresses(kTrack.times, c.presses);
    EXPECT_EQ(r.clicks, 24);
    EXPECT_EQ(r.answered, c.answered);
    EXPECT_NEAR(r.medianMs, c.medianMs, 0.01);
    EXPECT_NEAR(r.spreadMs, c.spreadMs, 0.01);
    EXPECT_EQ(r.accepted, !c.proposedOffset.empty());
    EXPECT_EQ(r.proposedOffset, c.proposedOffset);
}

std::vector<double> WithExtras(std::vector<double> presses, const std::vector<double>& extras) {
    presses.insert(presses.end(), extras.begin(), extras.end());
    return presses;
}

std::vector<double> FirstOf(std::vector<double> presses, std::size_t n) {
    presses.resize(n);
    return presses;
}

INSTANTIATE_TEST_SUITE_P(
    Presses, EvaluatePressesTest,
    testing::Values(
        // Jitter -20, -10, 0, 10, 20: quartiles at -10 and +10.
        PressCase{"SteadyHand", PressesAfter(230, {-20, -10, 0, 10, 20, 0}), 24, 230, 20, "-0.2"},
        PressCase{"EarlyHand", PressesAfter(-80), 24, -80, 0, "0.1"},
        PressCase{"LateHandRoundsToTheTenth", PressesAfter(260), 24, 260, 0, "-0.3"},
        // Presses 130 ms apart from one click to the next: a spread of 65 ms
        // is refused, though the median is sound.
        PressCase{"ScatteredHand", PressesAfter(250, {-65, 65}), 24, 250, 130, ""},
        PressCase{"JustWithinTheSpread", PressesAfter(240, {-30, 30}), 24, 240, 60, "-0.2"},
        // A second press on a click, and presses far from any click, count
        // for nothing.
        PressCase{"DoublePressesAndStrays",
                  WithExtras(PressesAfter(200), {kTrack.times[3] + 0.3, kTrack.times[7] + 0.35, 0.2,
                                                 kTrack.times.back() + 1.2}),
                  24, 200, 0, "-0.2"},
        // Two thirds of the clicks must be answered.
        PressCase{"TooFewAnswers", FirstOf(PressesAfter(200), 15), 15, 200, 0, ""},
        PressCase{"JustEnoughAnswers", FirstOf(PressesAfter(200), 16), 16, 200, 0, "-0.2"},
        PressCase{"NoPresses", {}, 0, 0, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The run plays the track from the start, notes the heard position of every
// press and measures them when the player stops at the end.
TEST(LatencyCalibrationTest, ARunPressesAtTheHeardPositionAndEndsWithTheTrack) {
    test::FakePlayer player;
    player.nextDuration = kTrack.seconds;
    player.setFileName("clicks.wav");
    player.setCurrentPosition(5.0);
    LatencyCalibration calibration(player, kTrack);
    int finished = 0;
    const Connection c = calibration.finished.connect([&] { ++finished; });

    calibration.press();  // before the start: ignored
    calibration.start();
    EXPECT_EQ(player.playState(), PlayState::Playing);
    EXPECT_EQ(player.currentPosition(), 0.0);
    // The heard sample, not the even position beside it, is what was pressed.
    for (double t : kTrack.times) {
        player.setPositionsForTest(t + 0.240, t + 0.180);
        calibration.press();
    }
    EXPECT_EQ(calibration.clicksHeard(), 24);
    EXPECT_FALSE(calibration.result().has_value());
    player.advance(5000);  // to the end
    EXPECT_EQ(finished, 1);
    ASSERT_TRUE(calibration.result().has_value());
    EXPECT_EQ(calibration.result()->answered, 24);
    EXPECT_NEAR(calibration.result()->medianMs, 180, 1e-6);
    EXPECT_EQ(calibration.result()->proposedOffset, "-0.2");

    // Again, and cancelled: the player stops and no result comes.
    calibration.start();
    EXPECT_FALSE(calibration.result().has_value());
    calibration.cancel();
    EXPECT_EQ(player.playState(), PlayState::Stopped);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(calibration.running());
}

TEST(LatencyCalibrationTest, APlayerThatCannotPlayLeavesNoRun) {
    test::FakePlayer player;
    player.setFileName("clicks.wav");
    player.failPlay = true;
    LatencyCalibration calibration(player, kTrack);
    EXPECT_THROW(calibration.start(), PlayerError);
    EXPECT_FALSE(calibration.running());
}

// The clicks are uneven, and each starts at full loudness on its own frame.
TEST(ClickTrackTest, ClicksStartOnTheirFramesAtUnevenGaps) {
    ASSERT_EQ(kTrack.times.size(), 24u);
    std::vector<double> gaps;
    for (std::size_t i = 1; i < kTrack.times.size(); ++i) {
        gaps.push_back(kTrack.times[i] - kTrack.times[i - 1]);
        EXPECT_GE(gaps.back(), 0.55);
        EXPECT_LE(gaps.back(), 1.35);
    }
    const auto [shortest, longest] = std::minmax_element(gaps.begin(), gaps.end());
    EXPECT_GT(*longest - *shortest, 0.4);

    const test::TempFolder folder;
    ASSERT_FALSE(WriteClickTrack(folder / "clicks.wav", kTrack, 8000));
    WavReader reader(folder / "clicks.wav");
    ASSERT_EQ(reader.format().sampleRate, 8000);
    std::vector<float> frames(reader.frameCount());
    ASSERT_EQ(reader.read(frames.data(), frames.size()), frames.size());
    for (double t : kTrack.times) {
        const auto k = static_cast<std::size_t>(std::llround(t * 8000));
        EXPECT_GT(frames[k], 0.75f) << t;
        EXPECT_EQ(frames[k - 1], 0.0f) << t;
    }
}

}  // namespace
}  // namespace obrin
