#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/dialogs.h"
#include "base/player.h"
#include "base/player_panel_view.h"
#include "base/signal.h"
#include "base/timer.h"

namespace obrin {

// The editor's side of the player: the panel's displays and buttons, the
// 50 ms refresh while playing, and the position operations that marking and
// opening files use. The caption of the play button and the refresh timer
// follow the player's play-state events, never the commands, so a command the
// player refuses leaves both as they were. Playing that fails by itself is
// reported as a refused play is.
class PlaybackControl {
  public:
    static constexpr int kRefreshIntervalMs = 50;
    // FollowPlayPosition comes on every tenth refresh, about every 500 ms.
    static constexpr int kFollowEvery = 10;
    static constexpr const char* kPlayCaption = "再生";
    static constexpr const char* kPauseCaption = "一時停止";
    // Why play and Mark are refused while no music file is loaded.
    static constexpr const char* kNoMusicFileMessage = "音楽ファイルを指定してください";
    static constexpr const char* kCannotPlayMessage = "再生・一時停止が出来ません";

    PlaybackControl(Player& player, TimerFactory& timers, Dialogs& dialogs);
    PlaybackControl(const PlaybackControl&) = delete;
    PlaybackControl& operator=(const PlaybackControl&) = delete;

    void setView(PlayerPanelView* view);

    // An empty FileName means no music file is loaded.
    bool isLoaded() const { return !player_.fileName().empty(); }
    bool isPlaying() const { return player_.playState() == PlayState::Playing; }

    // The play position in whole milliseconds, halves rounded to even.
    [[nodiscard]] std::int32_t playerPositionMs() const;
    // The sample being heard, in the same milliseconds: what a mark stamps.
    [[nodiscard]] std::int32_t heardPositionMs() const;
    // Throws PlayerError, for example when no file is loaded.
    void seekMs(double ms);
    double durationSeconds() const { return player_.duration(); }
    double positionSeconds() const { return player_.currentPosition(); }

    void refreshPositionDisplay();
    // The play button: pauses while the player plays, plays otherwise.
    // Without a music file it says so; a refusal names the player's reason
    // under the usual message.
    void playPause();
    // Position 0, stop, refresh; without a music file, nothing. A refusal
    // names the player's reason under the usual message.
    void stopPlayback();

    // Loads the converted WAV; throws PlayerError when the player refuses it.
    void loadIntoPlayer(const std::string& path);
    // Leaves no song in the player, and none on the panel: the times and the
    // bar read zero until the next load.
    void unloadPlayer();

    // The position bar: the mouse shows the time under it, a left press seeks
    // to the time shown (so to the hundredth). Without a music file a press
    // does nothing; a refused seek is reported as stopPlayback's.
    void positionBarMouseMoved(int x, int width);
    void positionBarLeftPressed();

    // The sliders keep what they ask for even when the player refuses it,
    // and report the refusal as stopPlayback does.
    void pitchChanged(int percent);
    // The slider's lowest position means silence rather than -30 dB.
    void volumeChanged(int hundredthsDb);

    static constexpr int kVolumeSliderMinimum = -3000;
    static constexpr int kSilence = -10000;

    // The play position on every tenth refresh, and -1 when the player
    // stops; the "all" confirm run follows the song through it.
    Signal<int> positionToFollow;
    // A WAV was loaded (its path), or the player was left without one; views
    // of the song (the waveform) start and stop with these.
    Signal<std::string> songLoaded;
    Signal<> songUnloaded;

  private:
    void followPlayState(PlayState state);
    void setPlayCaption(const char* caption);

    Player& player_;
    Dialogs& dialogs_;
    std::unique_ptr<Timer> refreshTimer_;
    PlayerPanelView* view_;
    Connection playStateConnection_;
    Connection failureConnection_;
    std::int32_t tickCounter_ = 0;
    std::string seekPosText_ = "00:00:00";
    // What the sliders ask for. A newly loaded file starts at normal speed and
    // full volume, so both are written again after every load.
    double rate_ = 1.0;
    int volume_ = 0;
};

}  // namespace obrin
