#pragma once

#include "playback/player.h"

namespace obrin {

// A player that never holds a file, for tests that do not play anything.
class IdlePlayer final : public Player {
  public:
    std::string fileName() const override { return {}; }
    void setFileName(const std::string&) override {}
    double currentPosition() const override { return 0; }
    void setCurrentPosition(double) override { throw PlayerError("no file"); }
    double duration() const override { return 0; }
    double rate() const override { return 1; }
    void setRate(double) override {}
    int volume() const override { return 0; }
    void setVolume(int) override {}
    void play() override {}
    void pause() override {}
    void stop() override {}
    PlayState playState() const override { return PlayState::Stopped; }
};

}  // namespace obrin
