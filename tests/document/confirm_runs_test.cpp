#include "document/confirm_runs.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/time_text.h"
#include "timing_rig.h"

namespace obrin {
namespace {

using test::RecordingConfirmDialog;
using test::TimingRig;
using Panel = RecordingConfirmDialog::Panel;

Panel Countdown(int seconds) {
    return {std::to_string(seconds) + "秒前", kCountdownColour};
}
Panel Lyric(const std::string& text) {
    return {text, kLyricColour};
}

// ---- ConfirmAround -------------------------------------------------------

struct AroundCase {
    const char* name;
    const char* timeText;
    double playFrom;
    // The panel right after the run starts, then after each second.
    std::vector<Panel> panels;
};

class ConfirmAroundCountdownTest : public ::testing::TestWithParam<AroundCase> {};

TEST_P(ConfirmAroundCountdownTest, CountsDownShowsTheLineThenMovesOn) {
    TimingRig rig;
    rig.load();
    rig.lines({GetParam().timeText, "00:20:00"});
    rig.document.lyrics.select(1);
    rig.confirm.confirmAround();

    EXPECT_FALSE(rig.window.mainWindowEnabled);
    EXPECT_TRUE(rig.confirmDialog.shown);
    EXPECT_EQ(rig.selected(), std::vector<int>{0});
    EXPECT_EQ(rig.player.seeks, (std::vector<double>{0.0, GetParam().playFrom}));
    EXPECT_EQ(rig.player.playState(), PlayState::Playing);

    const std::vector<Panel>& expected = GetParam().panels;
    EXPECT_EQ(rig.confirmDialog.panel, expected[0]);
    for (size_t tick = 1; tick < expected.size(); ++tick) {
        rig.timers.advance(1000);
        EXPECT_EQ(rig.confirmDialog.panel, expected[tick]) << "tick " << tick;
        EXPECT_EQ(rig.selected(), std::vector<int>{0}) << "tick " << tick;
    }
    // The next tick ends the line: the second line starts at once, 5 s
    // before its time, without restarting the one-second rhythm.
    rig.timers.advance(1000);
    EXPECT_EQ(rig.selected(), std::vector<int>{1});
    EXPECT_EQ(rig.confirmDialog.panel, Countdown(5));
    EXPECT_DOUBLE_EQ(rig.player.seeks.back(), 15.0);
    const auto timers = rig.timers.activeTimers();
    const auto countdown = std::find_if(timers.begin(), timers.end(),
                                        [](auto* timer) { return timer->interval() == 1000; });
    ASSERT_NE(countdown, timers.end());
    EXPECT_EQ((*countdown)->dueAt(), rig.timers.now() + 1000);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ConfirmAroundCountdownTest,
    ::testing::Values(AroundCase{"At3s",
                                 "00:03:00",
                                 0.0,
                                 {Countdown(3), Countdown(2), Countdown(1), Lyric("L1"),
                                  Lyric("L1"), Lyric("L1")}},
                      AroundCase{"At10s",
                                 "00:10:00",
                                 5.0,
                                 {Countdown(5), Countdown(4), Countdown(3), Countdown(2),
                                  Countdown(1), Lyric("L1"), Lyric("L1"), Lyric("L1")}},
                      AroundCase{
                          "AtZero", "00:00:00", 0.0, {Lyric("L1"), Lyric("L1"), Lyric("L1")}},
                      AroundCase{"At4_99s",
                                 "00:04:99",
                                 0.0,
                                 {Countdown(4), Countdown(3), Countdown(2), Countdown(1),
                                  Lyric("L1"), Lyric("L1"), Lyric("L1")}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConfirmAround, LyricIsShownWhenPlaybackReachesTheLine) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:10:00"});
    rig.confirm.confirmAround();
    rig.timers.advance(4999);
    EXPECT_EQ(rig.confirmDialog.panel, Countdown(1));
    rig.timers.advance(1);
    EXPECT_EQ(rig.confirmDialog.panel, Lyric("L1"));
    EXPECT_EQ(rig.playback.playerPositionMs(), 10000);
}

TEST(ConfirmAround, EndsAfterTheLastLineAndKeepsPlaying) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:03:00", "00:04:00"});
    rig.confirm.confirmAround();
    rig.timers.advance(6000);  // first line: 3 counting ticks, 3 lyric ticks
    EXPECT_EQ(rig.selected(), std::vector<int>{1});
    rig.timers.advance(6000);  // second line: 3 more counting ticks, 3 lyric ticks
    EXPECT_TRUE(rig.confirm.isAroundRunning());
    rig.timers.advance(1000);
    EXPECT_FALSE(rig.confirm.isAroundRunning());
    EXPECT_TRUE(rig.selected().empty());
    EXPECT_FALSE(rig.confirmDialog.shown);
    EXPECT_TRUE(rig.window.mainWindowEnabled);
    EXPECT_TRUE(rig.window.editingEnabled);
    EXPECT_EQ(rig.player.playState(), PlayState::Playing);
    EXPECT_TRUE(rig.timers.activeTimers().size() == 1u);  // only the position refresh
}

using EndRun = void (*)(TimingRig&);

class ConfirmAroundEndTest : public ::testing::TestWithParam<EndRun> {};

TEST_P(ConfirmAroundEndTest, RestoresTheWindowAndLeavesTheLineSelected) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:03:00", "00:10:00", "00:20:00"});
    rig.confirm.confirmAround();
    rig.timers.advance(7500);  // into the second line's countdown
    ASSERT_EQ(rig.selected(), std::vector<int>{1});
    GetParam()(rig);
    EXPECT_FALSE(rig.confirm.isRunning());
    EXPECT_FALSE(rig.confirmDialog.shown);
    EXPECT_TRUE(rig.window.mainWindowEnabled);
    EXPECT_TRUE(rig.window.editingEnabled);
    EXPECT_EQ(rig.selected(), std::vector<int>{1});
    EXPECT_EQ(rig.player.playState(), PlayState::Playing);
    const Panel shown = rig.confirmDialog.panel;
    rig.timers.advance(10000);
    EXPECT_EQ(rig.confirmDialog.panel, shown);
    EXPECT_EQ(rig.selected(), std::vector<int>{1});
}

INSTANTIATE_TEST_SUITE_P(Paths, ConfirmAroundEndTest,
                         ::testing::Values([](TimingRig& rig) { rig.confirm.abortConfirm(); },
                                           [](TimingRig& rig) {
                                               rig.confirmDialog.shown = false;
                                               rig.confirm.confirmDialogClosed();
                                           },
                                           [](TimingRig& rig) { rig.confirm.endRuns(); }));

TEST(ConfirmAround, WithoutFileDoesNothing) {
    TimingRig rig;
    rig.lines({"00:03:00"});
    rig.confirm.confirmAround();
    EXPECT_FALSE(rig.confirm.isRunning());
    EXPECT_FALSE(rig.confirmDialog.shown);
    EXPECT_TRUE(rig.window.mainWindowEnabled);
}

TEST(ConfirmAround, UnreadableTimeEndsTheRunThenReports) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:01:00", "100:00:00"});
    rig.confirm.confirmAround();
    rig.timers.advance(4000);
    EXPECT_FALSE(rig.confirm.isRunning());
    EXPECT_TRUE(rig.window.mainWindowEnabled);
    EXPECT_FALSE(rig.confirmDialog.shown);
    EXPECT_EQ(rig.dialogs.errors().size(), 1u);
    EXPECT_TRUE(rig.timers.activeTimers().size() == 1u);
}

// A song that cannot be played: each line's box opens only after the one
// before was closed, however long the user leaves it open, and the run goes
// through every line and ends.
TEST(ConfirmAround, PlayFailureShowsOneBoxAtATime) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:00:00", "00:10:00", "00:20:00", "00:30:00", "00:40:00", "00:50:00"});
    rig.player.failPlay = true;
    int open = 0;
    int deepest = 0;
    rig.dialogs.whileErrorShown = [&] {
        deepest = std::max(deepest, ++open);
        rig.timers.advance(10000);  // the user reads the box for ten seconds
        --open;
    };
    rig.confirm.confirmAround();
    for (int second = 0; second < 200 && rig.confirm.isRunning(); ++second) rig.timers.advance(1000);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(rig.dialogs.errors().size(), 6u);
    EXPECT_FALSE(rig.confirm.isRunning());
    EXPECT_TRUE(rig.window.mainWindowEnabled);
}

TEST(ConfirmAround, EmptyListOpensAndClosesAtOnce) {
    TimingRig rig;
    rig.load();
    rig.confirm.confirmAround();
    EXPECT_FALSE(rig.confirm.isRunning());
    EXPECT_EQ(rig.confirmDialog.showCount, 1);
    EXPECT_FALSE(rig.confirmDialog.shown);
    EXPECT_TRUE(rig.window.mainWindowEnabled);
}

// ---- ConfirmAll ----------------------------------------------------------

std::vector<std::string> OneASecond(int count) {
    std::vector<std::string> times;
    for (int i = 0; i < count; ++i) times.push_back(FormatTimeText(i * 1000));
    return times;
}

struct LimitCase {
    int lines;
    bool runs;
};

class ConfirmAllLimitTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(ConfirmAllLimitTest, RefusesMoreThan512Lines) {
    TimingRig rig;
    rig.load();
    rig.lines(OneASecond(GetParam().lines));
    rig.confirm.confirmAll();
    EXPECT_EQ(rig.confirm.isConfirmAllActive(), GetParam().runs);
    if (GetParam().runs) {
        EXPECT_TRUE(rig.dialogs.errors().empty());
    } else {
        EXPECT_EQ(rig.dialogs.errors(), std::vector<std::string>{"500行以上の歌詞は扱えません"});
        EXPECT_TRUE(rig.player.seeks.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Limit, ConfirmAllLimitTest,
                         ::testing::Values(LimitCase{0, true}, LimitCase{511, true},
                                           LimitCase{512, true}, LimitCase{513, false}));

struct OrderCase {
    std::vector<std::string> times;
    std::string error;
};

class ConfirmAllOrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(ConfirmAllOrderTest, ReportsTheFirstLineOutOfOrderAndTouchesNothing) {
    TimingRig rig;
    rig.load();
    rig.lines(GetParam().times);
    rig.document.lyrics.select(0);
    rig.player.setPositionForTest(33.0);
    rig.confirm.confirmAll();
    EXPECT_EQ(rig.dialogs.errors(), std::vector<std::string>{GetParam().error});
    EXPECT_FALSE(rig.confirm.isRunning());
    EXPECT_TRUE(rig.player.seeks.empty());
    EXPECT_EQ(rig.player.playState(), PlayState::Stopped);
    EXPECT_EQ(rig.selected(), std::vector<int>{0});
    EXPECT_TRUE(rig.window.editingEnabled);
}

INSTANTIATE_TEST_SUITE_P(Times, ConfirmAllOrderTest,
                         ::testing::Values(OrderCase{{"00:10:00", "00:10:00", "00:09:00"},
                                                     "タイムタグが不正です(3行目)"},
                                           OrderCase{{"00:10:00", "00:09:99"},
                                                     "タイムタグが不正です(2行目)"},
                                           OrderCase{{"00:01:00", "00:00:00", "00:00:00"},
                                                     "タイムタグが不正です(2行目)"}));

TEST(ConfirmAll, UnreadableTimeIsReportedBeforeAnythingChanges) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:01:00", "100:00:00"});
    rig.confirm.confirmAll();
    EXPECT_EQ(rig.dialogs.errors().size(), 1u);
    EXPECT_FALSE(rig.confirm.isRunning());
    EXPECT_TRUE(rig.player.seeks.empty());
}

TEST(ConfirmAll, StartsFromTheBeginningWithEditingLocked) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:00:00", "00:05:00", "00:20:00"});
    rig.document.lyrics.select(2);
    rig.playback.playPause();
    rig.timers.advance(40000);
    rig.confirm.confirmAll();
    EXPECT_TRUE(rig.confirm.isConfirmAllActive());
    EXPECT_EQ(rig.player.seeks, std::vector<double>{0.0});
    EXPECT_EQ(rig.player.playState(), PlayState::Playing);
    EXPECT_TRUE(rig.selected().empty());
    EXPECT_FALSE(rig.window.editingEnabled);
    EXPECT_TRUE(rig.window.mainWindowEnabled);
    EXPECT_TRUE(rig.confirmDialog.shown);
    EXPECT_EQ(rig.confirmDialog.panel.text, "");
}

struct FollowCase {
    int positionMs;
    std::vector<int> selected;
    std::string panel;
};

class FollowPlayPositionTest : public ::testing::TestWithParam<FollowCase> {};

TEST_P(FollowPlayPositionTest, SelectsTheLastLinePassed) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:00:00", "00:05:00", "00:20:00"});
    rig.confirm.confirmAll();
    rig.confirm.followPlayPosition(GetParam().positionMs);
    EXPECT_EQ(rig.selected(), GetParam().selected);
    EXPECT_EQ(rig.confirmDialog.panel.text, GetParam().panel);
}

INSTANTIATE_TEST_SUITE_P(Positions, FollowPlayPositionTest,
                         ::testing::Values(FollowCase{10000, {1}, "L2"}, FollowCase{0, {0}, "L1"},
                                           FollowCase{4999, {0}, "L1"}, FollowCase{5000, {1}, "L2"},
                                           FollowCase{20000, {2}, "L3"},
                                           FollowCase{999999999, {2}, "L3"}));

TEST(ConfirmAll, NothingIsSelectedBeforeTheFirstLine) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:02:00", "00:05:00"});
    rig.confirm.confirmAll();
    rig.confirm.followPlayPosition(1000);
    EXPECT_TRUE(rig.selected().empty());
    EXPECT_EQ(rig.confirmDialog.panel.text, "");
}

TEST(ConfirmAll, FollowsTheSongEveryHalfSecondAndHoldsWhilePaused) {
    TimingRig rig;
    rig.load(30.0);
    rig.lines({"00:00:90", "00:02:00", "00:03:00"});
    rig.confirm.confirmAll();
    // The stop at the start was the first refresh, so the follow calls come
    // at 450 ms, 950 ms, 1450 ms ...
    rig.timers.advance(900);
    EXPECT_TRUE(rig.selected().empty());
    rig.timers.advance(100);
    EXPECT_EQ(rig.selected(), std::vector<int>{0});
    rig.timers.advance(1400);
    EXPECT_EQ(rig.selected(), std::vector<int>{0});  // 2 s passed, but no follow call yet
    rig.timers.advance(50);
    EXPECT_EQ(rig.selected(), std::vector<int>{1});

    rig.playback.playPause();
    rig.player.setPositionForTest(3.5);
    rig.timers.advance(2000);
    EXPECT_EQ(rig.selected(), std::vector<int>{1});
    EXPECT_TRUE(rig.confirm.isConfirmAllActive());
    rig.playback.playPause();
    rig.timers.advance(500);
    EXPECT_EQ(rig.selected(), std::vector<int>{2});
}

class ConfirmAllEndTest : public ::testing::TestWithParam<std::pair<EndRun, PlayState>> {};

TEST_P(ConfirmAllEndTest, RestoresTheWindow) {
    TimingRig rig;
    rig.load(30.0);
    rig.lines({"00:01:00", "00:02:00"});
    rig.confirm.confirmAll();
    rig.timers.advance(1500);
    GetParam().first(rig);
    EXPECT_FALSE(rig.confirm.isRunning());
    EXPECT_FALSE(rig.confirmDialog.shown);
    EXPECT_TRUE(rig.window.editingEnabled);
    EXPECT_TRUE(rig.window.mainWindowEnabled);
    EXPECT_EQ(rig.player.playState(), GetParam().second);
    const std::vector<int> selected = rig.selected();
    rig.timers.advance(1000);
    EXPECT_EQ(rig.selected(), selected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ConfirmAllEndTest,
    ::testing::Values(std::pair<EndRun, PlayState>{[](TimingRig& rig) {
                                                       rig.confirm.abortConfirm();
                                                   },
                                                   PlayState::Playing},
                      std::pair<EndRun, PlayState>{[](TimingRig& rig) {
                                                       rig.confirmDialog.shown = false;
                                                       rig.confirm.confirmDialogClosed();
                                                   },
                                                   PlayState::Playing},
                      std::pair<EndRun, PlayState>{
                          [](TimingRig& rig) { rig.playback.stopPlayback(); }, PlayState::Stopped},
                      std::pair<EndRun, PlayState>{
                          [](TimingRig& rig) { rig.timers.advance(30000); }, PlayState::Stopped}));

TEST(ConfirmAll, WithoutFileDoesNothing) {
    TimingRig rig;
    rig.lines({"00:01:00"});
    rig.confirm.confirmAll();
    EXPECT_FALSE(rig.confirm.isRunning());
    EXPECT_TRUE(rig.window.editingEnabled);
    EXPECT_TRUE(rig.dialogs.errors().empty());
}

}  // namespace
}  // namespace obrin
