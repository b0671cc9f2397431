// Moving new marks to nearby onsets: the 150 ms window, never before the line
// above, off unless asked; and retiming a line as a marker drag does.
#include "document/onset_snap.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "timing_rig.h"

namespace obrin {
namespace {

using test::TimingRig;

struct SnapCase {
    const char* name;
    std::int64_t markedMs;
    std::vector<std::int32_t> onsets;
    std::optional<std::int32_t> notBefore;
    std::int64_t expected;
};

class SnapToOnsetTest : public ::testing::TestWithParam<SnapCase> {};

TEST_P(SnapToOnsetTest, TakesTheNearestOnsetInTheWindow) {
    const SnapCase& c = GetParam();
    EXPECT_EQ(SnapToOnset(c.markedMs, c.onsets, c.notBefore), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SnapToOnsetTest,
    ::testing::Values(
        SnapCase{"EarlierOnsetInWindow", 10000, {9000, 9900, 10400}, std::nullopt, 9900},
        SnapCase{"LaterOnsetInWindow", 10000, {9700, 10120}, std::nullopt, 10120},
        SnapCase{"NearestOfSeveral", 10000, {9860, 9950, 10080}, std::nullopt, 9950},
        SnapCase{"ExactlyAtTheWindowsEdge", 10000, {9850}, std::nullopt, 9850},
        SnapCase{"JustOutsideTheWindow", 10000, {9849, 10151}, std::nullopt, 10000},
        SnapCase{"NoOnsetsAtAll", 10000, {}, std::nullopt, 10000},
        SnapCase{"TieGoesToTheEarlier", 10000, {9900, 10100}, std::nullopt, 9900},
        // The line above bounds it: the nearer onset lies before it.
        SnapCase{"NeverBeforeThePreviousLine", 10000, {9900, 10120}, 9950, 10120},
        SnapCase{"OnThePreviousLineIsAllowed", 10000, {9950}, 9950, 9950},
        SnapCase{"NothingAfterThePreviousLineKeepsThePress", 10000, {9900}, 9950, 10000},
        // A mark pressed before the line above (the user's own doing) may
        // still move up to an onset at or after that line.
        SnapCase{"PressBeforeThePreviousLine", 10000, {10050, 10140}, 10100, 10140},
        SnapCase{"NegativeMarkNearTheStart", -100, {0, 30}, std::nullopt, 0}),
    [](const auto& info) { return info.param.name; });

// The timing commands as the editor wires them, with the onsets the
// analysis found and the user's option.
struct SnappingRig : TimingRig {
    bool enabled = false;
    std::vector<std::int32_t> onsets = {4950, 5080, 7900};

    SnappingRig() {
        commands.setOnsetSnapping(
            {.enabled = [this] { return enabled; },
             .onsetsMs = [this] { return std::span(std::as_const(onsets)); }});
        load();
        document.setMarkOffset("-1.0");
    }
    std::string markAt(int line, double positionSeconds) {
        document.lyrics.clearSelection();
        document.lyrics.select(line);
        player.setPositionForTest(positionSeconds);
        commands.mark();
        return timeText(line);
    }
};

TEST(MarkSnapping, IsOffByDefault) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:00:00"});
    rig.document.lyrics.select(0);
    rig.player.setPositionForTest(5.03);
    rig.commands.mark();
    EXPECT_EQ(rig.timeText(0), "00:05:03");
}

TEST(MarkSnapping, OffLeavesMarksWhereTheyWerePressed) {
    SnappingRig rig;
    rig.lines({"00:00:00", "00:00:00"});
    EXPECT_EQ(rig.markAt(0, 6.03), "00:05:03");  // 5030 ms, onsets near but unused
}

TEST(MarkSnapping, OnMovesTheMarkAfterTheOffsetToTheNearestOnset) {
    SnappingRig rig;
    rig.enabled = true;
    rig.lines({"00:00:00", "00:00:00", "00:00:00"});
    // 6.03 s less the offset's second is 5030 ms: 4950 is 80 ms away, 5080 only 50.
    EXPECT_EQ(rig.markAt(0, 6.03), "00:05:08");
    // 9.0 s - 1 s = 8000 ms: 7900 lies within 150 ms.
    EXPECT_EQ(rig.markAt(1, 9.0), "00:07:90");
    // 11 s - 1 s: nothing within 150 ms.
    EXPECT_EQ(rig.markAt(2, 11.0), "00:10:00");
}

// The onset nearest the sample heard, not the one nearest the even position.
TEST(MarkSnapping, SnapsFromTheSampleBeingHeard) {
    SnappingRig rig;
    rig.enabled = true;
    rig.lines({"00:00:00"});
    rig.document.lyrics.select(0);
    // Less the offset: heard 4960 ms lies by the onset at 4950, the even
    // position's 5100 by the one at 5080.
    rig.player.setPositionsForTest(6.10, 5.96);
    rig.commands.mark();
    EXPECT_EQ(rig.timeText(0), "00:04:95");
}

TEST(MarkSnapping, NeverMovesBeforeThePreviousLine) {
    SnappingRig rig;
    rig.enabled = true;
    rig.lines({"00:05:00", "00:00:00"});
    // 5000 ms: the nearest onset (4950) is before line 1's 5000; 5080 is taken.
    EXPECT_EQ(rig.markAt(1, 6.0), "00:05:08");
    // The first line has no line above it.
    rig.lines({"00:00:00"});
    EXPECT_EQ(rig.markAt(0, 6.0), "00:04:95");
}

TEST(RetimeLine, SetsTheLinesTimeAndNothingElse) {
    TimingRig rig;
    rig.lines({"00:01:00", "00:02:00", "00:03:00"});
    rig.document.lyrics.select(2);
    int changes = 0;
    const Connection c =
        rig.document.lyrics.linesChanged.connect([&](int first, int last, LinePart part) {
            EXPECT_EQ(first, 1);
            EXPECT_EQ(last, 1);
            EXPECT_EQ(part, LinePart::TimeText);
            ++changes;
        });
    rig.commands.retimeLine(1, 83456);
    EXPECT_EQ(rig.timeText(1), "01:23:45");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(rig.selected(), std::vector<int>{2});
    rig.commands.retimeLine(1, -20);
    EXPECT_EQ(rig.timeText(1), "00:00:00");
    rig.commands.retimeLine(3, 1000);  // gone meanwhile: nothing happens
    rig.commands.retimeLine(-1, 1000);
    EXPECT_EQ(rig.document.lyrics.count(), 3);

    // Each drop is one step of its own; a drop on a vanished line leaves none.
    EXPECT_EQ(rig.document.history.undoCaption(), "時間を変更");
    rig.document.history.undo();
    EXPECT_EQ(rig.timeText(1), "01:23:45");
    rig.document.history.undo();
    EXPECT_EQ(rig.timeText(1), "00:02:00");
    EXPECT_FALSE(rig.document.history.canUndo());
    rig.document.history.redo();
    EXPECT_EQ(rig.timeText(1), "01:23:45");
}

}  // namespace
}  // namespace obrin
