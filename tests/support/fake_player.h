#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/player.h"

namespace obrin::test {

// A player with a clock that moves only when the test says so. Loading any
// non-empty path succeeds with the duration set beforehand; play-state events
// are raised at once, on every change, as the real engine raises them on the
// user-interface thread. Each failXxx flag makes that call throw PlayerError
// until it is cleared.
//
// Like the real player it has two positions: the even one, and the sample
// being heard, which away from normal speed runs ahead of it or behind in the
// stretcher's runs. They are the same until a test sets them apart.
class FakePlayer final : public Player {
  public:
    double nextDuration = 200.0;
    bool failLoad = false;
    bool failPlay = false;
    bool failPause = false;
    bool failStop = false;
    bool failSeek = false;
    bool failPosition = false;
    bool failRate = false;
    bool failVolume = false;

    // Every seek, in seconds, in the order asked.
    std::vector<double> seeks;
    // Set: play-state events wait for deliverStateEvents(), as the real
    // engine's end of the file waits in the user-interface thread's queue.
    bool holdStateEvents = false;

    std::string fileName() const override { return fileName_; }
    void setFileName(const std::string& path) override {
        if (!path.empty() && failLoad) throw PlayerError("load refused");
        if (state_ != PlayState::Stopped) changeState(PlayState::Stopped);
        fileName_ = path;
        position_ = 0.0;
        heard_ = 0.0;
        duration_ = path.empty() ? 0.0 : nextDuration;
        rate_ = 1.0;
        volume_ = 0;
    }

    double currentPosition() const override {
        if (failPosition) throw PlayerError("position unavailable");
        return position_;
    }
    void setCurrentPosition(double seconds) override {
        if (failSeek || fileName_.empty()) throw PlayerError("no file to seek in");
        seeks.push_back(seconds);
        position_ = std::clamp(seconds, 0.0, duration_);
        heard_ = position_;
    }
    double heardPosition() const override {
        if (failPosition) throw PlayerError("position unavailable");
        return heard_;
    }
    double duration() const override { return duration_; }

    double rate() const override { return rate_; }
    void setRate(double rate) override {
        if (failRate) throw PlayerError("rate refused");
        rate_ = rate;
    }
    int volume() const override { return volume_; }
    void setVolume(int hundredthsDb) override {
        if (failVolume) throw PlayerError("volume refused");
        volume_ = hundredthsDb;
    }

    void play() override {
        if (failPlay || fileName_.empty()) throw PlayerError("cannot play");
        changeState(PlayState::Playing);
    }
    void pause() override {
        if (failPause) throw PlayerError("cannot pause");
        if (state_ == PlayState::Playing) changeState(PlayState::Paused);
    }
    void stop() override {
        if (failStop) throw PlayerError("cannot stop");
        if (state_ != PlayState::Stopped) changeState(PlayState::Stopped);
    }
    PlayState playState() const override { return state_; }

    // Moves the clock: while playing, the position advances by ms times the
    // rate; reaching the end stops the player with the stopped event.
    void advance(int ms) {
        if (state_ != PlayState::Playing) return;
        const double step = ms / 1000.0 * rate_;
        position_ = std::min(position_ + step, duration_);
        heard_ = std::min(heard_ + step, duration_);
        if (position_ >= duration_) changeState(PlayState::Stopped);
    }

    // Sets both positions without a seek, as the sound card's clock would.
    void setPositionForTest(double seconds) { position_ = heard_ = seconds; }
    // Sets them apart: `even` as the position moves evenly, `heard` the
    // sample being heard.
    void setPositionsForTest(double even, double heard) {
        position_ = even;
        heard_ = heard;
    }

    // Playing stops by itself, as when the output fails, and says why.
    void failWhilePlaying(const std::string& why) {
        changeState(PlayState::Stopped);
        playbackFailed(why);
    }

    void deliverStateEvents() {
        for (PlayState state : std::exchange(heldStates_, {})) playStateChanged(state);
    }

  private:
    void changeState(PlayState state) {
        state_ = state;
        if (holdStateEvents) {
            heldStates_.push_back(state);
        } else {
            playStateChanged(state);
        }
    }

    std::string fileName_;
    double position_ = 0.0;
    double heard_ = 0.0;
    double duration_ = 0.0;
    double rate_ = 1.0;
    int volume_ = 0;
    PlayState state_ = PlayState::Stopped;
    std::vector<PlayState> heldStates_;
};

}  // namespace obrin::test
