#include "base/playback_control.h"

#include <gtest/gtest.h>

#include "timing_rig.h"

namespace obrin {
namespace {

using test::TimingRig;

// Follows the play position as the "all" run would, recording every notice.
struct RecordingFollower {
    explicit RecordingFollower(PlaybackControl& playback)
        : connection(playback.positionToFollow.connect([this](int ms) { calls.push_back(ms); })) {}
    std::vector<int> calls;
    Connection connection;
};

struct PositionCase {
    double seconds;
    std::int32_t ms;
};

class PlayerPositionMsTest : public ::testing::TestWithParam<PositionCase> {};

TEST_P(PlayerPositionMsTest, RoundsHalvesToEven) {
    TimingRig rig;
    rig.load();
    rig.player.setPositionForTest(GetParam().seconds);
    EXPECT_EQ(rig.playback.playerPositionMs(), GetParam().ms);
}

// Binary fractions, so the halves are exact halves.
INSTANTIATE_TEST_SUITE_P(Halves, PlayerPositionMsTest,
                         ::testing::Values(PositionCase{0.0625, 62}, PositionCase{0.1875, 188},
                                           PositionCase{2.0625, 2062}, PositionCase{1.5625, 1562},
                                           PositionCase{0.0078125, 8}, PositionCase{0.0, 0},
                                           PositionCase{199.9996, 200000},
                                           PositionCase{1e12, INT32_MAX}));

TEST(PlaybackControl, LoadSetsBarTotalAndCaption) {
    TimingRig rig;
    rig.load(200.0015);
    EXPECT_EQ(rig.panel.positionMaximum, 200002);
    EXPECT_EQ(rig.panel.totalPosText, "03:20:00");
    EXPECT_EQ(rig.panel.playCaption, "再生");
    EXPECT_TRUE(rig.playback.isLoaded());
    rig.playback.playPause();
    rig.timers.advance(1500);
    rig.playback.unloadPlayer();
    EXPECT_FALSE(rig.playback.isLoaded());
    // Nothing of the song that was loaded stays on the panel.
    EXPECT_EQ(rig.panel.positionMaximum, 0);
    EXPECT_EQ(rig.panel.position, 0);
    EXPECT_EQ(rig.panel.totalPosText, "00:00:00");
    EXPECT_EQ(rig.panel.currentPosText, "00:00:00");
    EXPECT_EQ(rig.panel.playCaption, "再生");
    EXPECT_TRUE(rig.timers.activeTimers().empty());
}

TEST(PlaybackControl, CaptionAndTimerFollowThePlayStateEvents) {
    TimingRig rig;
    rig.load();
    rig.playback.playPause();
    EXPECT_EQ(rig.panel.playCaption, "一時停止");
    ASSERT_EQ(rig.timers.activeTimers().size(), 1u);
    EXPECT_EQ(rig.timers.activeTimers()[0]->interval(), 50);
    rig.playback.playPause();
    EXPECT_EQ(rig.player.playState(), PlayState::Paused);
    EXPECT_EQ(rig.panel.playCaption, "再生");
    EXPECT_TRUE(rig.timers.activeTimers().empty());
    rig.playback.playPause();
    EXPECT_EQ(rig.player.playState(), PlayState::Playing);
    EXPECT_TRUE(rig.dialogs.errors().empty());
}

// The song ended but the player's notice is still on its way, so the button
// still reads "一時停止": a press plays the song again, as the player stands.
TEST(PlaybackControl, PlayPauseFollowsThePlayerBeforeItsNoticeArrives) {
    TimingRig rig;
    rig.load(2.0);
    rig.playback.playPause();
    rig.player.holdStateEvents = true;
    rig.player.advance(2000);
    ASSERT_EQ(rig.player.playState(), PlayState::Stopped);
    ASSERT_EQ(rig.panel.playCaption, "一時停止");
    rig.playback.playPause();
    EXPECT_EQ(rig.player.playState(), PlayState::Playing);
    rig.player.deliverStateEvents();
    EXPECT_EQ(rig.panel.playCaption, "一時停止");
    EXPECT_TRUE(rig.dialogs.errors().empty());
}

TEST(PlaybackControl, SharesThePlayStateEventsWithOtherListeners) {
    TimingRig rig;
    std::vector<PlayState> heard;
    Connection other =
        rig.player.playStateChanged.connect([&heard](PlayState state) { heard.push_back(state); });
    rig.load();
    rig.playback.playPause();
    rig.playback.stopPlayback();
    EXPECT_EQ(heard, (std::vector{PlayState::Playing, PlayState::Stopped}));
    EXPECT_EQ(rig.panel.playCaption, "再生");
    EXPECT_TRUE(rig.timers.activeTimers().empty());
}

TEST(PlaybackControl, PlayButtonWithoutFileSaysSo) {
    TimingRig rig;
    rig.playback.playPause();
    EXPECT_EQ(rig.player.playState(), PlayState::Stopped);
    EXPECT_EQ(rig.dialogs.errors(), std::vector<std::string>{"音楽ファイルを指定してください"});
}

TEST(PlaybackControl, RefusedPlayOrPauseIsReportedWithTheReasonAndChangesNothing) {
    TimingRig rig;
    rig.load();
    rig.player.failPlay = true;
    rig.playback.playPause();
    EXPECT_EQ(rig.dialogs.errors(),
              std::vector<std::string>{"再生・一時停止が出来ません\ncannot play"});
    EXPECT_EQ(rig.panel.playCaption, "再生");

    rig.player.failPlay = false;
    rig.playback.playPause();
    rig.player.failPause = true;
    rig.playback.playPause();
    EXPECT_EQ(rig.dialogs.errors().size(), 2u);
    EXPECT_EQ(rig.panel.playCaption, "一時停止");
    EXPECT_EQ(rig.player.playState(), PlayState::Playing);
}

TEST(PlaybackControl, RefreshFollowsEveryTenthTickAndStopSendsMinusOne) {
    TimingRig rig;
    RecordingFollower follower(rig.playback);
    rig.load();
    rig.playback.playPause();
    rig.timers.advance(1000);  // twenty refreshes
    EXPECT_EQ(follower.calls, (std::vector<int>{500, 1000}));
    EXPECT_EQ(rig.panel.currentPosText, "00:01:00");
    EXPECT_EQ(rig.panel.position, 1000);

    // Direct refreshes count as ticks too.
    for (int i = 0; i < 9; ++i) rig.playback.refreshPositionDisplay();
    rig.timers.advance(50);
    EXPECT_EQ(follower.calls.back(), 1050);

    rig.playback.stopPlayback();
    EXPECT_EQ(follower.calls.back(), -1);
    EXPECT_EQ(rig.panel.currentPosText, "00:00:00");
    EXPECT_EQ(rig.panel.playCaption, "再生");
    EXPECT_TRUE(rig.timers.activeTimers().empty());
}

TEST(PlaybackControl, EndOfSongStopsTheTimerAndEndsTheFollowing) {
    TimingRig rig;
    RecordingFollower follower(rig.playback);
    rig.load(1.0);
    rig.playback.playPause();
    rig.timers.advance(3000);
    EXPECT_EQ(follower.calls, (std::vector<int>{500, -1}));
    EXPECT_EQ(rig.panel.playCaption, "再生");
    EXPECT_TRUE(rig.timers.activeTimers().empty());
}

TEST(PlaybackControl, PlayingThatFailsByItselfStopsWithTheReason) {
    TimingRig rig;
    RecordingFollower follower(rig.playback);
    rig.load();
    rig.playback.playPause();
    rig.player.failWhilePlaying("the audio output stopped");
    EXPECT_EQ(rig.dialogs.errors(),
              std::vector<std::string>{"再生・一時停止が出来ません\nthe audio output stopped"});
    EXPECT_EQ(rig.panel.playCaption, "再生");
    EXPECT_EQ(follower.calls.back(), -1);
    EXPECT_TRUE(rig.timers.activeTimers().empty());
}

TEST(PlaybackControl, PausedDisplayHoldsItsPosition) {
    TimingRig rig;
    rig.load();
    rig.playback.playPause();
    rig.timers.advance(1230);
    rig.playback.playPause();
    const std::string shown = rig.panel.currentPosText;
    rig.player.setPositionForTest(50.0);
    rig.timers.advance(5000);
    EXPECT_EQ(rig.panel.currentPosText, shown);
}

TEST(PlaybackControl, StopWithoutFileDoesNothing) {
    TimingRig rig;
    rig.playback.stopPlayback();
    EXPECT_TRUE(rig.dialogs.errors().empty());
    EXPECT_TRUE(rig.player.seeks.empty());
}

// A panel operation the player refuses, with a song loaded.
struct RefusalCase {
    const char* name;
    bool test::FakePlayer::*failure;
    void (*operate)(PlaybackControl&);
    const char* reason;

    friend void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }
};

class PlayerRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(PlayerRefusalTest, ShowsThePlayersReasonUnderTheUsualMessage) {
    TimingRig rig;
    rig.load();
    rig.playback.positionBarMouseMoved(250, 500);
    rig.player.*GetParam().failure = true;
    GetParam().operate(rig.playback);
    EXPECT_EQ(
        rig.dialogs.errors(),
        std::vector<std::string>{std::string("再生・一時停止が出来ません\n") + GetParam().reason});
}

INSTANTIATE_TEST_SUITE_P(
    PanelOperations, PlayerRefusalTest,
    ::testing::Values(
        RefusalCase{"Seek", &test::FakePlayer::failSeek,
                    [](PlaybackControl& p) { p.positionBarLeftPressed(); }, "no file to seek in"},
        RefusalCase{"PositionAfterSeek", &test::FakePlayer::failPosition,
                    [](PlaybackControl& p) { p.positionBarLeftPressed(); }, "position unavailable"},
        RefusalCase{"Stop", &test::FakePlayer::failStop,
                    [](PlaybackControl& p) { p.stopPlayback(); }, "cannot stop"},
        RefusalCase{"SeekToStart", &test::FakePlayer::failSeek,
                    [](PlaybackControl& p) { p.stopPlayback(); }, "no file to seek in"},
        RefusalCase{"Pitch", &test::FakePlayer::failRate,
                    [](PlaybackControl& p) { p.pitchChanged(50); }, "rate refused"},
        RefusalCase{"Volume", &test::FakePlayer::failVolume,
                    [](PlaybackControl& p) { p.volumeChanged(-3000); }, "volume refused"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

struct BarCase {
    int x;
    const char* shown;
    double seekSeconds;
};

class PositionBarTest : public ::testing::TestWithParam<BarCase> {};

TEST_P(PositionBarTest, CursorTimeAndPressSeekToTheTimeShown) {
    TimingRig rig;
    rig.load(200.0);
    rig.playback.positionBarMouseMoved(GetParam().x, 500);
    EXPECT_EQ(rig.panel.seekPosText, GetParam().shown);
    rig.playback.positionBarLeftPressed();
    ASSERT_EQ(rig.player.seeks.size(), 1u);
    EXPECT_DOUBLE_EQ(rig.player.seeks[0], GetParam().seekSeconds);
    EXPECT_EQ(rig.panel.currentPosText, GetParam().shown);
    EXPECT_EQ(rig.player.playState(), PlayState::Stopped);
}

INSTANTIATE_TEST_SUITE_P(Song200sBar500px, PositionBarTest,
                         ::testing::Values(BarCase{250, "01:40:00", 100.0},
                                           BarCase{333, "02:13:20", 133.2},
                                           // 0.4 s per pixel: 1.2 s, then the hundredths cut.
                                           BarCase{3, "00:01:20", 1.2}, BarCase{0, "00:00:00", 0.0},
                                           BarCase{500, "03:20:00", 200.0}));

TEST(PositionBar, PressWithoutFileIsIgnored) {
    TimingRig rig;
    rig.playback.positionBarMouseMoved(100, 500);
    EXPECT_EQ(rig.panel.seekPosText, "00:00:00");
    rig.playback.positionBarLeftPressed();
    rig.playback.positionBarMouseMoved(100, 0);  // a bar not laid out yet
    EXPECT_TRUE(rig.dialogs.errors().empty());
    EXPECT_TRUE(rig.player.seeks.empty());
}

TEST(PositionBar, SeekKeepsPlaying) {
    TimingRig rig;
    rig.load(200.0);
    rig.playback.playPause();
    rig.playback.positionBarMouseMoved(250, 500);
    rig.playback.positionBarLeftPressed();
    EXPECT_EQ(rig.player.playState(), PlayState::Playing);
}

TEST(PlaybackControl, SlidersStayInForceForTheNextFile) {
    TimingRig rig;
    rig.load();
    rig.playback.pitchChanged(50);
    rig.playback.volumeChanged(-3000);
    rig.load();  // the player starts every file at rate 1.0 and full volume
    EXPECT_DOUBLE_EQ(rig.player.rate(), 0.5);
    EXPECT_EQ(rig.player.volume(), -10000);
}

struct SliderCase {
    int position;
    double rate;
    const char* label;
};

class PitchTest : public ::testing::TestWithParam<SliderCase> {};

TEST_P(PitchTest, LabelAndRate) {
    TimingRig rig;
    rig.load();
    rig.playback.pitchChanged(GetParam().position);
    EXPECT_EQ(rig.panel.pitchLabel, GetParam().label);
    EXPECT_DOUBLE_EQ(rig.player.rate(), GetParam().rate);
}

INSTANTIATE_TEST_SUITE_P(Range, PitchTest,
                         ::testing::Values(SliderCase{20, 0.2, "ピッチ(20%)"},
                                           SliderCase{100, 1.0, "ピッチ(100%)"},
                                           SliderCase{300, 3.0, "ピッチ(300%)"}));

struct VolumeCase {
    int position;
    int volume;
};

class VolumeTest : public ::testing::TestWithParam<VolumeCase> {};

TEST_P(VolumeTest, LowestPositionIsSilence) {
    TimingRig rig;
    rig.load();
    rig.playback.volumeChanged(GetParam().position);
    EXPECT_EQ(rig.player.volume(), GetParam().volume);
}

INSTANTIATE_TEST_SUITE_P(Range, VolumeTest,
                         ::testing::Values(VolumeCase{0, 0}, VolumeCase{-2999, -2999},
                                           VolumeCase{-3000, -10000}));

}  // namespace
}  // namespace obrin
