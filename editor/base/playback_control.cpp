#include "base/playback_control.h"

#include <cmath>
#include <limits>

#include "base/conversion_error.h"
#include "base/time_text.h"

namespace obrin {

namespace {

// Stands in until the window hands over its panel, so the core never has to
// ask whether a display exists.
class NoPanelView final : public PlayerPanelView {
  public:
    void setCurrentPosText(const std::string&) override {}
    void setTotalPosText(const std::string&) override {}
    void setSeekPosText(const std::string&) override {}
    void setPositionMaximum(int) override {}
    void setPosition(int) override {}
    void setPlayCaption(const std::string&) override {}
    void setPitchLabel(const std::string&) override {}
};

NoPanelView noPanelView;

// Rounds to the nearest millisecond, halves to even (the default rounding
// mode), and keeps the result inside 32 bits whatever the player reports.
std::int32_t RoundToMs(double ms) {
    const double rounded = std::nearbyint(ms);
    if (!(rounded > std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (rounded >= std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(rounded);
}

// The panel has one message for whatever the player refuses; the player's own
// reason goes under it.
void ShowPlayerError(Dialogs& dialogs, const PlayerError& error) {
    dialogs.showError(std::string(PlaybackControl::kCannotPlayMessage) + "\n" + error.what());
}

}  // namespace

PlaybackControl::PlaybackControl(Player& player, TimerFactory& timers, Dialogs& dialogs)
    : player_(player), dialogs_(dialogs), refreshTimer_(timers.createTimer()), view_(&noPanelView) {
    refreshTimer_->onTimeout = [this] {
        // A player that fails to report its position mid-song must not stop
        // the timer's owner; the next tick tries again.
        try {
            refreshPositionDisplay();
        } catch (const PlayerError&) {
        }
    };
    playStateConnection_ =
        player_.playStateChanged.connect([this](PlayState state) { followPlayState(state); });
    failureConnection_ = player_.playbackFailed.connect([this](const std::string& why) {
        dialogs_.showError(std::string(kCannotPlayMessage) + "\n" + why);
    });
}

void PlaybackControl::setView(PlayerPanelView* view) {
    view_ = view ? view : &noPanelView;
}

std::int32_t PlaybackControl::playerPositionMs() const {
    return RoundToMs(player_.currentPosition() * 1000.0);
}

std::int32_t PlaybackControl::heardPositionMs() const {
    return RoundToMs(player_.heardPosition() * 1000.0);
}

void PlaybackControl::seekMs(double ms) {
    player_.setCurrentPosition(ms / 1000.0);
}

void PlaybackControl::refreshPositionDisplay() {
    const std::int32_t ms = playerPositionMs();
    view_->setPosition(ms);
    view_->setCurrentPosText(FormatTimeText(ms));
    ++tickCounter_;
    if (tickCounter_ % kFollowEvery == 0) {
        tickCounter_ = 0;
        positionToFollow(ms);
    }
}

void PlaybackControl::followPlayState(PlayState state) {
    switch (state) {
        case PlayState::Playing:
            refreshTimer_->start(kRefreshIntervalMs);
            setPlayCaption(kPauseCaption);
            break;
        case PlayState::Paused:
            refreshTimer_->stop();
            setPlayCaption(kPlayCaption);
            break;
        case PlayState::Stopped:
            refreshTimer_->stop();
            setPlayCaption(kPlayCaption);
            positionToFollow(-1);
            break;
    }
}

void PlaybackControl::setPlayCaption(const char* caption) {
    view_->setPlayCaption(caption);
}

void PlaybackControl::playPause() {
    if (!isLoaded()) {
        dialogs_.showError(kNoMusicFileMessage);
        return;
    }
    try {
        if (player_.playState() == PlayState::Playing) {
            player_.pause();
        } else {
            player_.play();
        }
    } catch (const PlayerError& error) {
        dialogs_.showError(std::string(kCannotPlayMessage) + "\n" + error.what());
    }
}

void PlaybackControl::stopPlayback() {
    // Without a song there is nothing to stop and no position to go back to.
    if (!isLoaded()) return;
    try {
        player_.setCurrentPosition(0.0);
        player_.stop();
        refreshPositionDisplay();
    } catch (const PlayerError& error) {
        ShowPlayerError(dialogs_, error);
    }
}

void PlaybackControl::loadIntoPlayer(const std::string& path) {
    player_.setFileName(path);
    player_.setRate(rate_);
    player_.setVolume(volume_);
    const std::int32_t maximum = RoundToMs(player_.duration() * 1000.0);
    view_->setPositionMaximum(maximum);
    view_->setTotalPosText(FormatTimeText(maximum));
    setPlayCaption(kPlayCaption);
    songLoaded(path);
}

void PlaybackControl::unloadPlayer() {
    // Unloading stops the player; the refresh timer follows its event, but a
    // player that unloads silently must not leave the timer polling nothing.
    player_.setFileName("");
    refreshTimer_->stop();
    const std::string zero = FormatTimeText(0);
    view_->setPositionMaximum(0);
    view_->setPosition(0);
    view_->setCurrentPosText(zero);
    view_->setTotalPosText(zero);
    seekPosText_ = zero;
    view_->setSeekPosText(zero);
    setPlayCaption(kPlayCaption);
    songUnloaded();
}

void PlaybackControl::positionBarMouseMoved(int x, int width) {
    if (width <= 0) return;
    const double ms = player_.duration() * (static_cast<double>(x) / width) * 1000.0;
    seekPosText_ = FormatTimeText(RoundToMs(ms));
    view_->setSeekPosText(seekPosText_);
}

void PlaybackControl::positionBarLeftPressed() {
    if (!isLoaded()) return;
    try {
        seekMs(ParseTimeText(seekPosText_));
        refreshPositionDisplay();
    } catch (const PlayerError& error) {
        ShowPlayerError(dialogs_, error);
    } catch (const ConversionError&) {
    }
}

void PlaybackControl::pitchChanged(int percent) {
    view_->setPitchLabel("ピッチ(" + std::to_string(percent) + "%)");
    rate_ = percent / 100.0;
    try {
        player_.setRate(rate_);
    } catch (const PlayerError& error) {
        // The slider keeps its place; the rate is written again on its next
        // move and with the next song.
        ShowPlayerError(dialogs_, error);
    }
}

void PlaybackControl::volumeChanged(int hundredthsDb) {
    volume_ = hundredthsDb == kVolumeSliderMinimum ? kSilence : hundredthsDb;
    try {
        player_.setVolume(volume_);
    } catch (const PlayerError& error) {
        ShowPlayerError(dialogs_, error);
    }
}

}  // namespace obrin
