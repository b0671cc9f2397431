#pragma once

#include <stdexcept>
#include <string>

#include "base/signal.h"

namespace obrin {

class PlayerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class PlayState { Stopped = 0, Paused = 1, Playing = 2 };

// The media player the editor plays the converted WAV through. Everything is
// called on the user-interface thread, and the play-state event is delivered
// there too. Failures throw PlayerError.
class Player {
public:
    virtual ~Player() = default;

    // Loading is synchronous: setting a path opens the file, after which
    // duration() is known, the player is stopped at position 0, rate 1.0 and
    // full volume. An empty path unloads; fileName() is then empty.
    virtual std::string fileName() const = 0;
    virtual void setFileName(const std::string& path) = 0;

    // Play position in seconds, moving evenly with the music. Seeking while no
    // file is loaded throws. Seeking does not change the playing or paused
    // state.
    virtual double currentPosition() const = 0;
    virtual void setCurrentPosition(double seconds) = 0;
    // The sample being heard this moment, which a mark stamps. Away from
    // normal speed a player may play the file in short runs at normal speed,
    // cut and repeated or skipped; then this moves with the runs, never
    // backwards, and currentPosition() evenly through their middle.
    virtual double heardPosition() const { return currentPosition(); }
    virtual double duration() const = 0;

    // 0.2 ... 3.0, 1.0 normal speed (the pitch is kept).
    virtual double rate() const = 0;
    virtual void setRate(double rate) = 0;
    // Hundredths of a decibel: 0 full volume, -10000 silence.
    virtual int volume() const = 0;
    virtual void setVolume(int hundredthsDb) = 0;

    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual PlayState playState() const = 0;

    // Tells the new state whenever it changes, including Stopped at the end
    // of the file.
    Signal<PlayState> playStateChanged;
    // Playing stopped by itself because something failed (the output, the
    // file); says why. Follows the Stopped it caused.
    Signal<std::string> playbackFailed;
};

}  // namespace obrin
