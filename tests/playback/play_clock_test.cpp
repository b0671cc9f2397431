#include "playback/play_clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace obrin {
namespace {

constexpr double kRate = 1000.0;  // frames per second: one frame is a millisecond

// What the sound server reports at time t (seconds), in frames.
using Device = std::function<double(double)>;

struct Trace {
    double largestStep = 0;    // beyond the nominal advance between two reads
    double largestBehind = 0;  // device minus clock, just after a report
    double largestAhead = 0;   // clock minus device, just after a report
    bool backwards = false;
};

// Feeds the clock a report every 10 ms and reads it every 5 ms between
// `from` and `to`, as the player's feed timer and the editor's reads do.
// Measures from `measureFrom` on.
Trace Drive(PlayClock& clock, const Device& device, double to, double from = 0.0,
            double measureFrom = 0.05) {
    Trace run;
    double previous = 0;
    for (int i = 0;; ++i) {
        const double t = from + i * 0.005;
        if (t > to) break;
        const bool reported = i % 2 == 0;
        if (reported) clock.sample(t, device(t));
        const double now = clock.playedAt(t);
        if (now < previous) run.backwards = true;
        if (t >= measureFrom) {
            run.largestStep = std::max(run.largestStep, std::abs(now - previous - 5.0));
            if (reported) {
                run.largestBehind = std::max(run.largestBehind, device(t) - now);
                run.largestAhead = std::max(run.largestAhead, now - device(t));
            }
        }
        previous = now;
    }
    return run;
}

TEST(PlayClock, FollowsASteadyDeviceExactly) {
    PlayClock clock(kRate);
    const Trace run = Drive(clock, [](double t) { return t * kRate + 20; }, 5.0);
    EXPECT_FALSE(run.backwards);
    EXPECT_LT(run.largestStep, 1e-6);
    EXPECT_LT(run.largestBehind, 1e-6);
    EXPECT_LT(run.largestAhead, 1e-6);
}

TEST(PlayClock, ReportsNothingBeforeTheDeviceStarts) {
    PlayClock clock(kRate);
    clock.sample(1.0, 0);
    EXPECT_EQ(clock.playedAt(1.5), 0);
    clock.sample(2.0, 30);
    EXPECT_EQ(clock.playedAt(2.0), 30);
    clock.reset();
    EXPECT_EQ(clock.playedAt(2.5), 0);
}

// A server that extrapolates at the nominal rate and corrects by `jumpMs`
// every 1.5 s, as PulseAudio does with a device that runs faster or slower.
struct CorrectionCase {
    const char* name;
    double jumpMs;
    // A correction backwards by more than the clock's lead halts it for a
    // moment, which shows as a step of a whole read interval.
    double largestStep;
};

class PlayClockCorrectionTest : public testing::TestWithParam<CorrectionCase> {};

TEST_P(PlayClockCorrectionTest, SpreadsTheCorrectionWithoutSteps) {
    const double jump = GetParam().jumpMs;
    const Device sawtooth = [jump](double t) {
        return t * kRate + std::floor(t / 1.5) * jump;
    };
    PlayClock clock(kRate);
    const Trace run = Drive(clock, sawtooth, 10.0);
    EXPECT_FALSE(run.backwards);
    // At most a tenth faster than nominal: half a frame per 5 ms read.
    EXPECT_LE(run.largestStep, GetParam().largestStep + 1e-3);
    // One frame of slack: a correction may come before the last one is
    // fully absorbed.
    EXPECT_LE(run.largestBehind, std::max(jump, 0.0) + 1);
    EXPECT_LE(run.largestAhead, std::max(-jump, 20.0) + 1);
}

TEST_P(PlayClockCorrectionTest, CatchesUpWithinASecond) {
    const double jump = GetParam().jumpMs;
    PlayClock clock(kRate);
    const Device steady = [](double t) { return t * kRate; };
    (void)Drive(clock, steady, 1.0);
    const Device corrected = [jump](double t) { return t * kRate + jump; };
    const Trace run = Drive(clock, corrected, 3.0, 1.01, 2.0);
    EXPECT_LT(run.largestBehind, 1.0);
    EXPECT_LT(run.largestAhead, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Jumps, PlayClockCorrectionTest,
                         testing::Values(CorrectionCase{"Ahead20", 20, 0.5},
                                         CorrectionCase{"Ahead40", 40, 0.5},
                                         CorrectionCase{"Behind20", -20, 0.5},
                                         CorrectionCase{"Behind56", -56, 5.0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlayClock, TracksADeviceThatRunsFast) {
    PlayClock clock(kRate);
    const Trace run =
        Drive(clock, [](double t) { return t * kRate * 1.012; }, 10.0, 0.0, 2.0);
    EXPECT_FALSE(run.backwards);
    EXPECT_LT(run.largestBehind, 5.0);
    EXPECT_LT(run.largestAhead, 5.0);
}

TEST(PlayClock, StopsSoonAfterTheDeviceStalls) {
    PlayClock clock(kRate);
    const Device stalls = [](double t) { return std::min(t, 1.0) * kRate; };
    const Trace run = Drive(clock, stalls, 3.0);
    EXPECT_FALSE(run.backwards);
    // The lead, plus the device's own extrapolation over one report interval.
    EXPECT_LE(clock.playedAt(3.0), 1000 + 20 + 10 + 1e-9);
}

TEST(PlayClock, JumpsWhenTheDeviceSkipsFarAhead) {
    PlayClock clock(kRate);
    (void)Drive(clock, [](double t) { return t * kRate; }, 1.0);
    clock.sample(1.01, 1010 + 500);
    EXPECT_NEAR(clock.playedAt(1.01), 1510, 1e-9);
}

}  // namespace
}  // namespace obrin
