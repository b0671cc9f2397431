#include "playback/position_line.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace obrin {
namespace {

double fakeNow = 0;
double FakeClock() {
    return fakeNow;
}

TEST(PositionLine, HoldsStandStillAndLinesMoveUpToTheirLimit) {
    fakeNow = 10.0;
    PositionLine line(FakeClock);
    EXPECT_EQ(line.read(), 0.0);
    line.hold(500);
    fakeNow = 20.0;
    EXPECT_EQ(line.read(), 500.0);

    // Reported for 19.5 s, published at 20 s: it has moved on since.
    line.set(19.5, 1000, 100, 1200);
    EXPECT_EQ(line.read(), 1050.0);
    fakeNow = 21.0;
    EXPECT_EQ(line.read(), 1150.0);
    fakeNow = 30.0;
    EXPECT_EQ(line.read(), 1200.0);

    // A seek may go back.
    line.set(30.0, 100, 100, 1000);
    EXPECT_EQ(line.read(), 100.0);
    // Stopping keeps what readers saw last.
    fakeNow = 31.0;
    EXPECT_EQ(line.stop(), 200.0);
    fakeNow = 40.0;
    EXPECT_EQ(line.read(), 200.0);
}

TEST(PositionLine, AdvanceNeverGoesBehindWhatReadersMayHaveSeen) {
    fakeNow = 0;
    PositionLine line(FakeClock);
    line.set(0, 0, 1000, 1e9);
    fakeNow = 1.0;
    EXPECT_EQ(line.read(), 1000.0);
    // The device turned out to be 5 frames behind: the line goes on from
    // where it stands, at the new pace.
    line.advance(1.0, 995, 900, 1e9);
    EXPECT_EQ(line.read(), 1000.0);
    fakeNow = 1.1;
    EXPECT_DOUBLE_EQ(line.read(), 1090.0);
    // Ahead is taken as it is.
    line.advance(1.1, 1200, 1000, 1e9);
    EXPECT_EQ(line.read(), 1200.0);
    // The limit never pulls the line back either.
    line.advance(1.1, 1100, 1000, 1150);
    EXPECT_EQ(line.read(), 1200.0);
}

// The heard position plays runs of the source: a splice ahead jumps there at
// its moment, a splice back stands still until the new run passes where the
// position got to, and a new line never takes back what readers saw.
TEST(PositionLine, FollowTakesSplicesAtTheirMoment) {
    fakeNow = 1.0;
    PositionLine line(FakeClock);
    line.hold(1000);
    line.follow(1.0, 1000, 1000, 1e9, {{{1.01, 1100, 1000}}});
    fakeNow = 1.009;
    EXPECT_DOUBLE_EQ(line.read(), 1009.0);
    fakeNow = 1.012;
    EXPECT_DOUBLE_EQ(line.read(), 1102.0);

    line.follow(1.012, 1102, 1000, 1e9, {{{1.02, 1090, 1000}}});
    fakeNow = 1.025;
    EXPECT_DOUBLE_EQ(line.read(), 1110.0);  // stands where the run before got to
    fakeNow = 1.04;
    EXPECT_DOUBLE_EQ(line.read(), 1110.0);
    fakeNow = 1.05;
    EXPECT_DOUBLE_EQ(line.read(), 1120.0);  // the new run has passed it

    line.follow(1.05, 1115, 1000, 1130, {});
    EXPECT_DOUBLE_EQ(line.read(), 1120.0);
    fakeNow = 1.06;
    EXPECT_DOUBLE_EQ(line.read(), 1125.0);
    fakeNow = 2.0;
    EXPECT_DOUBLE_EQ(line.read(), 1130.0);
}

// A feed held up for a while leaves a line to run across several splices:
// each run ends where the next begins, whether it jumps ahead or back.
TEST(PositionLine, FollowTakesEverySpliceInTurn) {
    fakeNow = 3.0;
    PositionLine line(FakeClock);
    line.hold(3000);
    line.follow(3.0, 3000, 1000, 1e9,
                {{{3.01, 3100, 1000}, {3.02, 3080, 1000}, {3.04, 3200, 1000}}});
    struct Expected {
        double now;
        double value;
    };
    for (const Expected& e : {Expected{3.005, 3005}, Expected{3.015, 3105},
                              // the run after the splice back has not passed 3110
                              Expected{3.025, 3110}, Expected{3.035, 3110}, Expected{3.039, 3110},
                              Expected{3.045, 3205}}) {
        fakeNow = e.now;
        EXPECT_DOUBLE_EQ(line.read(), e.value) << "at " << e.now;
    }
}

// One thread publishes lines of changing pace, as the audio feed does; the
// others read as fast as they can and must never see the position go back.
TEST(PositionLine, ConcurrentReadersNeverSeeItGoBack) {
    PositionLine line(SteadySeconds);
    line.set(SteadySeconds(), 0, 44100, 1e12);
    std::atomic<bool> done{false};
    std::atomic<int> backwards{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&] {
            double last = line.read();
            while (!done.load()) {
                const double now = line.read();
                if (now < last) ++backwards;
                last = now;
            }
        });
    }
    for (int i = 0; i < 20000; ++i) {
        const double now = SteadySeconds();
        // Alternately a little behind and ahead of where the line is, at a
        // pace 5 % off either way.
        const double value = line.read() + (i % 2 == 0 ? -3.0 : 2.0);
        line.advance(now, value, 44100 * (i % 2 == 0 ? 0.95 : 1.05), 1e12);
    }
    done = true;
    for (std::thread& t : readers) t.join();
    EXPECT_EQ(backwards.load(), 0);
}

}  // namespace
}  // namespace obrin
