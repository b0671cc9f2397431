#include "document/time_shift.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "timing_rig.h"

namespace obrin {
namespace {

struct ShiftCase {
    const char* name;
    // What the user types; the lines selected (none: every line is shifted).
    std::string typed;
    std::vector<int> selected;
    std::vector<std::string> expected;
    std::vector<std::string> errors;
};

class ShiftTimesTest : public testing::TestWithParam<ShiftCase> {};

// Lines at 0.5 s, 2 s, 1 min 30.25 s and an unmarked one at 0.
TEST_P(ShiftTimesTest, ShiftsTheSelectionOrEveryLineNeverBelowZero) {
    const ShiftCase& c = GetParam();
    test::TimingRig rig;
    rig.lines({"00:00:50", "00:02:00", "01:30:25", "00:00:00"});
    for (int line : c.selected) rig.document.lyrics.select(line);
    rig.dialogs.inputAnswers.push_back(c.typed);
    rig.commands.shiftTimes();
    std::vector<std::string> times;
    for (int i = 0; i < 4; ++i) times.push_back(rig.timeText(i));
    EXPECT_EQ(times, c.expected);
    EXPECT_EQ(rig.dialogs.errors(), c.errors);
    EXPECT_EQ(rig.selected(), c.selected);
}

const std::string kBadShift = "ずらす時間は-3600000から3600000までのミリ秒で入力してください";

INSTANTIATE_TEST_SUITE_P(
    Cases, ShiftTimesTest,
    testing::Values(
        ShiftCase{"AllLinesLater", "250", {}, {"00:00:75", "00:02:25", "01:30:50", "00:00:25"}, {}},
        ShiftCase{"SelectedLinesEarlier",
                  " -1000 ",
                  {1, 2},
                  {"00:00:50", "00:01:00", "01:29:25", "00:00:00"},
                  {}},
        // Below zero is held at zero, each line by itself.
        ShiftCase{
            "ClampedAtZero", "-700", {}, {"00:00:00", "00:01:30", "01:29:55", "00:00:00"}, {}},
        ShiftCase{"PlusSign", "+10", {0}, {"00:00:51", "00:02:00", "01:30:25", "00:00:00"}, {}},
        ShiftCase{
            "LongestShift", "3600000", {3}, {"00:00:50", "00:02:00", "01:30:25", "60:00:00"}, {}},
        ShiftCase{"TooLong",
                  "3600001",
                  {},
                  {"00:00:50", "00:02:00", "01:30:25", "00:00:00"},
                  {kBadShift}},
        ShiftCase{
            "NotANumber", "1.5", {}, {"00:00:50", "00:02:00", "01:30:25", "00:00:00"}, {kBadShift}},
        ShiftCase{"Empty", "", {}, {"00:00:50", "00:02:00", "01:30:25", "00:00:00"}, {kBadShift}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShiftTimes, CancelOrAnUnreadableTimeChangesNothing) {
    test::TimingRig rig;
    rig.lines({"00:01:00", "bad", "00:03:00"});
    rig.dialogs.inputAnswers.push_back(std::nullopt);
    rig.commands.shiftTimes();
    EXPECT_EQ(rig.timeText(0), "00:01:00");
    EXPECT_TRUE(rig.dialogs.errors().empty());

    // Every time is read first: the line before the unreadable one keeps its
    // time too.
    rig.dialogs.inputAnswers.push_back("500");
    rig.commands.shiftTimes();
    EXPECT_EQ(rig.timeText(0), "00:01:00");
    EXPECT_EQ(rig.timeText(2), "00:03:00");
    EXPECT_EQ(rig.dialogs.errors().size(), 1u);
}

// The whole shift is one step: one undo puts every line back, and a refused
// shift leaves no step.
TEST(ShiftTimes, IsOneUndoableStep) {
    test::TimingRig rig;
    rig.lines({"00:00:50", "00:02:00", "00:03:00"});
    rig.dialogs.inputAnswers.push_back("-1000");
    rig.commands.shiftTimes();
    EXPECT_EQ(rig.timeText(0), "00:00:00");
    EXPECT_EQ(rig.timeText(2), "00:02:00");
    EXPECT_EQ(rig.document.history.undoCaption(), "時間をずらす");

    rig.document.history.undo();
    EXPECT_EQ(rig.timeText(0), "00:00:50");
    EXPECT_EQ(rig.timeText(1), "00:02:00");
    EXPECT_EQ(rig.timeText(2), "00:03:00");
    EXPECT_FALSE(rig.document.history.canUndo());
    rig.document.history.redo();
    EXPECT_EQ(rig.timeText(0), "00:00:00");
    EXPECT_EQ(rig.timeText(1), "00:01:00");

    rig.document.history.undo();
    rig.dialogs.inputAnswers.push_back("abc");
    rig.commands.shiftTimes();
    EXPECT_FALSE(rig.document.history.canUndo());
}

TEST(RemarkFromLine, MakesTheLineCurrentAndPlaysFromThreeSecondsBefore) {
    test::TimingRig rig;
    rig.load();
    rig.lines({"00:01:00", "00:10:00", "00:20:50"});
    rig.document.lyrics.select(1);
    rig.document.lyrics.select(2);
    rig.commands.remarkFromLine();
    EXPECT_EQ(rig.selected(), std::vector<int>{1});
    EXPECT_EQ(rig.player.playState(), PlayState::Playing);
    ASSERT_FALSE(rig.player.seeks.empty());
    EXPECT_DOUBLE_EQ(rig.player.seeks.back(), 7.0);

    // A line in the first three seconds plays from the start.
    rig.document.lyrics.clearSelection();
    rig.document.lyrics.select(0);
    rig.commands.remarkFromLine();
    EXPECT_DOUBLE_EQ(rig.player.seeks.back(), 0.0);
    EXPECT_EQ(rig.player.playState(), PlayState::Playing);
}

}  // namespace
}  // namespace obrin
