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
    const Trace run = Drive(
        clock, [](double t) { return t * kRate + 20; }, 5.0);
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

// How a device plays and how its server reports that. PulseAudio learns the
// device's count only every `period` seconds and extrapolates at the nominal
// rate in between, so a device off the nominal rate shows as a sawtooth
// around its own line; `wander` adds an offset that flips sign with each
// update, as the server's latency estimate does.
struct DeviceCase {
    const char* name;
    double drift;   // relative to nominal
    double period;  // seconds between the server's updates; 0: exact reports
    double wander;  // frames
    double largestDeviation;
};

class PlayClockTrendTest : public testing::TestWithParam<DeviceCase> {};

TEST_P(PlayClockTrendTest, FollowsTheTrendOfTheReportsSmoothly) {
    const DeviceCase c = GetParam();
    const auto truth = [&c](double t) { return t * kRate * (1 + c.drift); };
    const Device device = [&](double t) {
        if (c.period == 0) return truth(t);
        const double update = std::floor(t / c.period);
        const double sign = static_cast<int>(update) % 2 == 0 ? 1.0 : -1.0;
        return truth(update * c.period) + (t - update * c.period) * kRate + sign * c.wander;
    };
    // Where the reports lie on average: the sawtooth's middle.
    const double bias = c.period == 0 ? 0 : -c.drift * c.period * kRate / 2;
    PlayClock clock(kRate);
    double previous = 0, largestStep = 0, largestDeviation = 0;
    for (int i = 0; i * 0.005 <= 15.0; ++i) {
        const double t = i * 0.005;
        if (i % 2 == 0) clock.sample(t, device(t));
        const double now = clock.playedAt(t);
        ASSERT_GE(now, previous) << "at " << t;
        if (t >= 0.05) largestStep = std::max(largestStep, std::abs(now - previous - 5.0));
        // Long enough for the trend's window to have filled.
        if (t >= 4.0) {
            largestDeviation = std::max(largestDeviation, std::abs(now - truth(t) - bias));
        }
        previous = now;
    }
    // At most a tenth faster than nominal, or a little slower: half a frame
    // per 5 ms read.
    EXPECT_LE(largestStep, 0.5 + 1e-3);
    EXPECT_LE(largestDeviation, c.largestDeviation);
}

INSTANTIATE_TEST_SUITE_P(Devices, PlayClockTrendTest,
                         testing::Values(DeviceCase{"Exact", 0, 0, 0, 1e-6},
                                         // 0.1 % off nominal: the trend's window lags by 1.5 ms.
                                         DeviceCase{"ExactFast", 0.001, 0, 0, 2},
                                         DeviceCase{"ExactSlow", -0.001, 0, 0, 2},
                                         DeviceCase{"Wandering", 0, 1.5, 6, 2},
                                         DeviceCase{"SawtoothFast", 0.003, 1.5, 0, 6},
                                         DeviceCase{"SawtoothSlow", -0.003, 1.5, 0, 6},
                                         DeviceCase{"WanderingFast", 0.003, 1.5, 6, 6}),
                         [](const auto& info) { return std::string(info.param.name); });

// A device that steps its count once, at 1.01 s, and then runs steadily.
struct ShiftCase {
    const char* name;
    double shift;        // frames
    double settledBy;    // seconds
    double largestStep;  // a shift backwards beyond the lead halts the clock
};

class PlayClockShiftTest : public testing::TestWithParam<ShiftCase> {};

TEST_P(PlayClockShiftTest, SettlesOnTheNewCountWithoutSteps) {
    const double shift = GetParam().shift;
    PlayClock clock(kRate);
    const Trace before = Drive(
        clock, [](double t) { return t * kRate; }, 1.0);
    const Device shifted = [shift](double t) { return t * kRate + shift; };
    const Trace during = Drive(clock, shifted, GetParam().settledBy, 1.0, 1.005);
    const Trace after =
        Drive(clock, shifted, 8.0, GetParam().settledBy, GetParam().settledBy + 0.005);
    EXPECT_FALSE(before.backwards || during.backwards || after.backwards);
    EXPECT_LE(during.largestStep, GetParam().largestStep + 1e-3);
    // Never beyond the lead, unless the device's count went back further.
    EXPECT_LE(during.largestAhead, std::max(20.0, -shift) + 1e-3);
    EXPECT_LT(after.largestBehind, 1.0);
    EXPECT_LT(after.largestAhead, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Shifts, PlayClockShiftTest,
                         testing::Values(ShiftCase{"Ahead20", 20, 4.5, 0.5},
                                         ShiftCase{"Ahead40", 40, 4.5, 0.5},
                                         ShiftCase{"Behind5", -5, 4.5, 0.5},
                                         ShiftCase{"Behind20", -20, 2.0, 5.0},
                                         ShiftCase{"Behind56", -56, 2.0, 5.0}),
                         [](const auto& info) { return std::string(info.param.name); });

// A sound server corrects its first timings of a new stream by several
// milliseconds, up to some 2.6 s in; what it said before must not hold the
// clock off for a whole window.
TEST(PlayClock, TakesTheServersFirstCorrectionsAtOnce) {
    for (const double correction : {6.8, -5.0}) {
        PlayClock clock(kRate);
        const Device settles = [correction](double t) {
            return t * kRate + (t < 0.7 ? 0.0 : t < 2.6 ? -correction : 0.0);
        };
        (void)Drive(clock, settles, 2.6);
        const Trace run = Drive(clock, settles, 6.0, 2.6, 3.6);
        EXPECT_FALSE(run.backwards);
        EXPECT_LE(run.largestStep, 0.5 + 1e-3);
        EXPECT_LT(run.largestBehind, 0.5) << correction;
        EXPECT_LT(run.largestAhead, 0.5) << correction;
    }
}

TEST(PlayClock, StopsSoonAfterTheDeviceStalls) {
    PlayClock clock(kRate);
    const Device stalls = [](double t) { return std::min(t, 1.0) * kRate; };
    const Trace run = Drive(clock, stalls, 3.0);
    EXPECT_FALSE(run.backwards);
    // The lead, plus the device's own extrapolation over one report interval.
    EXPECT_LE(clock.playedAt(3.0), 1000 + 20 + 10 + 1e-9);
}

TEST(PlayClock, KeepsUpWithTheDeviceOnceAStallIsOver) {
    PlayClock clock(kRate);
    const Device stallsAWhile = [](double t) {
        return (t < 1.0 ? t : std::max(1.0, t - 0.3)) * kRate;
    };
    (void)Drive(clock, stallsAWhile, 2.5);
    const Trace run = Drive(clock, stallsAWhile, 5.0, 2.5, 2.505);
    EXPECT_FALSE(run.backwards);
    EXPECT_LT(run.largestBehind, 1.0);
    EXPECT_LT(run.largestAhead, 1.0);
}

// The caller held up for 120 ms, and the device ran out of audio 50 ms into
// that and stood still: the next report finds it where it stopped.
TEST(PlayClock, StartsAgainFromTheDeviceAfterAStallNoReportShowed) {
    PlayClock clock(kRate);
    (void)Drive(
        clock, [](double t) { return t * kRate; }, 1.0);
    clock.sample(1.12, 1050);
    EXPECT_NEAR(clock.playedAt(1.12), 1050, 1e-9);
    clock.sample(1.13, 1060);
    EXPECT_NEAR(clock.playedAt(1.13), 1060, 0.5);
}

TEST(PlayClock, JumpsWhenTheDeviceSkipsFarAhead) {
    PlayClock clock(kRate);
    (void)Drive(
        clock, [](double t) { return t * kRate; }, 1.0);
    clock.sample(1.01, 1010 + 500);
    EXPECT_NEAR(clock.playedAt(1.01), 1510, 1e-9);
}

}  // namespace
}  // namespace obrin
