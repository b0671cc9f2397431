#include "document/timing_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

#include "base/time_text.h"
#include "timing_rig.h"

namespace obrin {
namespace {

using test::TimingRig;

TEST(Mark, StampsPositionPlusOffsetAndMovesOn) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:00:00", "00:00:00", "00:00:00"});
    rig.document.lyrics.select(0);
    rig.document.setMarkOffset("-1.0");
    rig.player.setPositionForTest(12.345);
    rig.commands.mark();
    EXPECT_EQ(rig.timeText(0), "00:11:34");
    EXPECT_EQ(rig.selected(), std::vector<int>{1});
    EXPECT_EQ(rig.listView.madeVisible, std::vector<int>{1});
}

// Away from normal speed the sample being heard runs ahead of the even
// position or behind it; a mark stamps the sample heard.
struct HeardCase {
    const char* name;
    double evenSeconds;
    double heardSeconds;
    const char* stamped;
};

void PrintTo(const HeardCase& c, std::ostream* os) {
    *os << c.name;
}

class MarkHeardTest : public testing::TestWithParam<HeardCase> {};

TEST_P(MarkHeardTest, StampsTheSampleBeingHeard) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:00:00"});
    rig.document.lyrics.select(0);
    rig.player.setPositionsForTest(GetParam().evenSeconds, GetParam().heardSeconds);
    rig.commands.mark();
    EXPECT_EQ(rig.timeText(0), GetParam().stamped);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, MarkHeardTest,
    testing::Values(HeardCase{"HeardAheadAtDoubleSpeed", 20.0, 20.04, "00:20:04"},
                    HeardCase{"HeardBehindAtHalfSpeed", 20.0, 19.97, "00:19:97"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Mark, WithNothingSelectedStampsTheTopmostVisibleRow) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:00:00", "00:00:00", "00:00:00", "00:00:00"});
    rig.document.lyrics.setTopVisibleLine(2);
    rig.player.setPositionForTest(7.0);
    rig.commands.mark();
    EXPECT_EQ(rig.timeText(2), "00:07:00");
    EXPECT_EQ(rig.selected(), std::vector<int>{3});
}

TEST(Mark, OnTheLastLineLeavesNothingSelected) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:00:00", "00:00:00"});
    rig.document.lyrics.select(1);
    rig.player.setPositionForTest(3.0);
    rig.commands.mark();
    EXPECT_EQ(rig.timeText(1), "00:03:00");
    EXPECT_TRUE(rig.selected().empty());
}

TEST(Mark, NegativeResultStampsZero) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:05:00"});
    rig.document.lyrics.select(0);
    rig.document.setMarkOffset("-1.0");
    rig.player.setPositionForTest(0.4);
    rig.commands.mark();
    EXPECT_EQ(rig.timeText(0), "00:00:00");
}

TEST(Mark, WithSeveralSelectedGoesToTheNextSelectedInOrder) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:00:00", "00:00:00", "00:00:00", "00:00:00"});
    rig.document.lyrics.select(0);
    rig.document.lyrics.select(3);
    rig.player.setPositionForTest(1.0);
    rig.commands.mark();
    EXPECT_EQ(rig.selected(), (std::vector<int>{1, 3}));
}

TEST(Mark, EmptyListDoesNothing) {
    TimingRig rig;
    rig.commands.mark();
    EXPECT_TRUE(rig.dialogs.errors().empty());
}

TEST(Mark, UnreadableOffsetIsReportedAndNothingIsStamped) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:09:00"});
    rig.document.lyrics.select(0);
    rig.document.setMarkOffset("-*.*");
    rig.commands.mark();
    EXPECT_EQ(rig.timeText(0), "00:09:00");
    EXPECT_EQ(rig.dialogs.errors().size(), 1u);
    EXPECT_EQ(rig.selected(), std::vector<int>{0});
}

TEST(Mark, PlayerFailureIsReported) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:09:00"});
    rig.document.lyrics.select(0);
    rig.player.failPosition = true;
    rig.commands.mark();
    EXPECT_EQ(rig.timeText(0), "00:09:00");
    EXPECT_EQ(rig.dialogs.errors().size(), 1u);
}

// Before any song, or after an open that failed and unloaded the last one,
// there is no play position to stamp.
TEST(Mark, WithoutASongIsRefusedAndStampsNothing) {
    TimingRig rig;
    rig.lines({"00:09:00", "00:00:00"});
    rig.document.lyrics.setTopVisibleLine(0);
    rig.commands.mark();
    rig.load();
    rig.playback.unloadPlayer();
    rig.commands.mark();
    EXPECT_EQ(rig.timeText(0), "00:09:00");
    EXPECT_TRUE(rig.selected().empty());
    EXPECT_EQ(rig.dialogs.errors(),
              std::vector<std::string>(2, PlaybackControl::kNoMusicFileMessage));
}

TEST(Checks, CheckSelectedInvertsEachLineByItsOwnState) {
    TimingRig rig;
    rig.lines({"00:00:00", "00:00:00", "00:00:00", "00:00:00"});
    LyricList& lyrics = rig.document.lyrics;
    lyrics.setChecked(1, true);
    lyrics.setStateIndex(3, 5);  // anything but 0 is unchecked
    lyrics.select(1);
    lyrics.select(2);
    lyrics.select(3);
    rig.commands.checkSelected();
    EXPECT_FALSE(lyrics.line(1).checked());
    EXPECT_TRUE(lyrics.line(2).checked());
    EXPECT_TRUE(lyrics.line(3).checked());
    EXPECT_EQ(lyrics.line(3).stateIndex, 0);
    EXPECT_FALSE(lyrics.line(0).checked());
}

struct PreviousCase {
    int current;
    int toggled;
};

class CheckPreviousTest : public ::testing::TestWithParam<PreviousCase> {};

TEST_P(CheckPreviousTest, TogglesTheLineBeforeOrTheFirst) {
    TimingRig rig;
    rig.lines({"00:00:00", "00:00:00", "00:00:00"});
    rig.document.lyrics.select(GetParam().current);
    rig.commands.checkPrevious();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rig.document.lyrics.line(i).checked(), i == GetParam().toggled) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, CheckPreviousTest,
                         ::testing::Values(PreviousCase{0, 0}, PreviousCase{1, 0},
                                           PreviousCase{2, 1}));

TEST(Checks, WithoutCurrentLineNothingIsToggled) {
    TimingRig rig;
    rig.lines({"00:00:00"});
    rig.commands.checkPrevious();
    rig.commands.checkSelected();
    EXPECT_FALSE(rig.document.lyrics.line(0).checked());
}

TEST(Checks, CheckPreviousAfterMarkTogglesTheLineJustMarked) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:00:00", "00:00:00", "00:00:00"});
    rig.document.lyrics.select(1);
    rig.commands.mark();
    rig.commands.checkPrevious();
    EXPECT_TRUE(rig.document.lyrics.line(1).checked());
}

struct ShiftCase {
    const char* from;
    std::int32_t step;
    const char* to;
};

class MoveByListEditTest : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(MoveByListEditTest, ShiftsSelectedTimesNotBelowZeroWithNoUpperBound) {
    TimingRig rig;
    rig.load();
    rig.document.setListEditMode(true);
    rig.lines({GetParam().from, "00:42:00"});
    rig.document.lyrics.select(0);
    rig.player.setPositionForTest(30.0);
    rig.commands.moveBy(GetParam().step);
    EXPECT_EQ(rig.timeText(0), GetParam().to);
    EXPECT_EQ(rig.timeText(1), "00:42:00");
    EXPECT_TRUE(rig.player.seeks.empty());
}

INSTANTIATE_TEST_SUITE_P(Limits, MoveByListEditTest,
                         ::testing::Values(ShiftCase{"00:05:00", -10000, "00:00:00"},
                                           ShiftCase{"00:00:05", -100, "00:00:00"},
                                           ShiftCase{"99:55:00", 10000, "100:05:00"},
                                           ShiftCase{"00:59:95", 100, "01:00:05"},
                                           ShiftCase{"01:00:00", -500, "00:59:50"}));

TEST(MoveBy, ListEditStopsAtAnUnreadableTimeKeepingEarlierShifts) {
    TimingRig rig;
    rig.document.setListEditMode(true);
    rig.lines({"00:01:00", "100:00:00", "00:03:00"});
    rig.document.lyrics.selectAll();
    rig.commands.moveBy(1000);
    EXPECT_EQ(rig.timeText(0), "00:02:00");
    EXPECT_EQ(rig.timeText(1), "100:00:00");
    EXPECT_EQ(rig.timeText(2), "00:03:00");
    EXPECT_EQ(rig.dialogs.errors().size(), 1u);
}

struct SeekCase {
    double position;
    std::int32_t step;
    double target;
};

class MoveByPlayPositionTest : public ::testing::TestWithParam<SeekCase> {};

TEST_P(MoveByPlayPositionTest, SeeksWithinTheSong) {
    TimingRig rig;
    rig.load(200.0);
    rig.lines({"00:10:00"});
    rig.document.lyrics.select(0);
    rig.player.setPositionForTest(GetParam().position);
    rig.commands.moveBy(GetParam().step);
    ASSERT_EQ(rig.player.seeks.size(), 1u);
    EXPECT_DOUBLE_EQ(rig.player.seeks[0], GetParam().target);
    EXPECT_EQ(rig.timeText(0), "00:10:00");
    // The display is refreshed at once.
    EXPECT_EQ(rig.panel.position, std::lround(GetParam().target * 1000));
}

INSTANTIATE_TEST_SUITE_P(Limits, MoveByPlayPositionTest,
                         ::testing::Values(SeekCase{197.0, 10000, 200.0},
                                           SeekCase{4.0, -10000, 0.0},
                                           SeekCase{50.123, 100, 50.223}, SeekCase{0.0, -100, 0.0},
                                           SeekCase{200.0, 100, 200.0}));

TEST(MoveBy, WithoutFileSeeksNothingAndSaysNothing) {
    TimingRig rig;
    rig.commands.moveBy(1000);
    EXPECT_TRUE(rig.dialogs.errors().empty());
}

// Called from a button's slot: a throw would end the program.
TEST(MoveBy, APlayerThatCannotTellItsPositionIsLeftAlone) {
    TimingRig rig;
    rig.load();
    rig.player.failPosition = true;
    EXPECT_NO_THROW(rig.commands.moveBy(1000));
    EXPECT_TRUE(rig.player.seeks.empty());
}

struct PlayFromCase {
    const char* timeText;
    std::int32_t before;
    double target;
};

class PlayFromLineTest : public ::testing::TestWithParam<PlayFromCase> {};

TEST_P(PlayFromLineTest, StopsSeeksAndPlays) {
    TimingRig rig;
    rig.load();
    rig.lines({GetParam().timeText});
    rig.document.lyrics.select(0);
    rig.player.setPositionForTest(80.0);
    rig.commands.playFromLine(GetParam().before);
    EXPECT_EQ(rig.player.seeks, (std::vector<double>{0.0, GetParam().target}));
    EXPECT_EQ(rig.player.playState(), PlayState::Playing);
    EXPECT_EQ(rig.panel.playCaption, "一時停止");
}

INSTANTIATE_TEST_SUITE_P(Lines, PlayFromLineTest,
                         ::testing::Values(PlayFromCase{"00:30:00", 0, 30.0},
                                           PlayFromCase{"00:30:00", 5000, 25.0},
                                           PlayFromCase{"00:03:00", 5000, 0.0},
                                           PlayFromCase{"100:00:00", 0, 0.0}));

TEST(PlayFromLine, WhilePlayingRestartsFromTheLine) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:30:00"});
    rig.document.lyrics.select(0);
    rig.playback.playPause();
    rig.commands.playFromLine(0);
    EXPECT_EQ(rig.player.playState(), PlayState::Playing);
    EXPECT_DOUBLE_EQ(rig.player.currentPosition(), 30.0);
}

TEST(PlayFromLine, WithoutFileAsksForOne) {
    TimingRig rig;
    rig.lines({"00:30:00"});
    rig.document.lyrics.select(0);
    rig.commands.playFromLine(5000);
    EXPECT_EQ(rig.dialogs.errors(), std::vector<std::string>{"音楽ファイルを指定してください"});
    rig.document.lyrics.clearSelection();
    rig.commands.playFromLine(0);
    EXPECT_EQ(rig.dialogs.errors().size(), 1u);
}

TEST(LineCommands, InsertLineTakesTheTimeAndStandsBefore) {
    TimingRig rig;
    rig.lines({"00:01:00", "00:02:00", "00:03:00", "00:04:00", "00:30:00"});
    LyricList& lyrics = rig.document.lyrics;
    lyrics.setChecked(4, true);
    lyrics.select(4);
    rig.commands.insertLine();
    ASSERT_EQ(lyrics.count(), 6);
    EXPECT_EQ(lyrics.line(4).lyricText, "");
    EXPECT_EQ(lyrics.line(4).timeText, "00:30:00");
    EXPECT_FALSE(lyrics.line(4).checked());
    EXPECT_EQ(lyrics.line(5).lyricText, "L5");
    EXPECT_EQ(lyrics.currentLine(), 5);
}

TEST(LineCommands, MergeWithNextJoinsWithAHalfWidthSpace) {
    TimingRig rig;
    rig.lines({"00:01:00", "00:02:00", "00:03:00"});
    LyricList& lyrics = rig.document.lyrics;
    lyrics.setLyricText(0, "\x82\xa0\x82\xa2");  // あい
    lyrics.setLyricText(1, "\x82\xa4\x82\xa6");  // うえ
    lyrics.setChecked(0, true);
    lyrics.select(0);
    rig.commands.mergeWithNext();
    ASSERT_EQ(lyrics.count(), 2);
    EXPECT_EQ(lyrics.line(0).lyricText, "\x82\xa0\x82\xa2 \x82\xa4\x82\xa6");
    EXPECT_EQ(lyrics.line(0).timeText, "00:01:00");
    EXPECT_TRUE(lyrics.line(0).checked());
    EXPECT_EQ(lyrics.line(1).lyricText, "L3");

    lyrics.clearSelection();
    lyrics.select(1);
    rig.commands.mergeWithNext();  // the last line has nothing to merge
    EXPECT_EQ(lyrics.count(), 2);
}

TEST(LineCommands, DeleteLinesRemovesEverySelectedLine) {
    TimingRig rig;
    rig.lines({"00:01:00", "00:02:00", "00:03:00", "00:04:00"});
    rig.document.lyrics.select(0);
    rig.document.lyrics.select(2);
    rig.document.lyrics.select(3);
    rig.commands.deleteLines();
    ASSERT_EQ(rig.document.lyrics.count(), 1);
    EXPECT_EQ(rig.document.lyrics.line(0).lyricText, "L2");
}

TEST(LineCommands, AppendSelectAllClearChecksAndEdit) {
    TimingRig rig;
    rig.lines({"00:01:00", "00:02:00"});
    LyricList& lyrics = rig.document.lyrics;
    lyrics.setChecked(0, true);
    lyrics.setChecked(1, true);
    rig.commands.appendLine();
    ASSERT_EQ(lyrics.count(), 3);
    EXPECT_EQ(lyrics.line(2).timeText, "00:00:00");
    EXPECT_TRUE(rig.listView.madeVisible.empty());
    rig.commands.editLine();
    EXPECT_TRUE(rig.listView.edited.empty());
    rig.commands.selectAll();
    EXPECT_EQ(rig.selected(), (std::vector<int>{0, 1, 2}));
    rig.commands.clearChecks();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(lyrics.line(i).stateIndex, -1);
    rig.commands.editLine();
    EXPECT_EQ(rig.listView.edited, std::vector<int>{0});
}

struct MenuCase {
    std::vector<int> selected;
    bool lineItems;
    bool merge;
};

class LineMenuTest : public ::testing::TestWithParam<MenuCase> {};

TEST_P(LineMenuTest, EnablingFollowsTheCurrentLine) {
    TimingRig rig;
    rig.lines({"00:01:00", "00:02:00", "00:03:00"});
    for (int line : GetParam().selected) rig.document.lyrics.select(line);
    const LineMenuEnabling enabling = DecideLineMenuEnabling(rig.document.lyrics);
    EXPECT_EQ(enabling.lineItems, GetParam().lineItems);
    EXPECT_EQ(enabling.merge, GetParam().merge);
}

INSTANTIATE_TEST_SUITE_P(Selections, LineMenuTest,
                         ::testing::Values(MenuCase{{}, false, false}, MenuCase{{0}, true, true},
                                           MenuCase{{2}, true, false},
                                           // The CurrentLine is the first selected.
                                           MenuCase{{1, 2}, true, true}));

}  // namespace
}  // namespace obrin
