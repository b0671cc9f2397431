#pragma once

#include <QObject>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "base/player.h"
#include "playback/position_line.h"

namespace obrin {

class AudioFeed;
class PlaybackStream;

// The player on the default audio output: streams a PCM WAV file from disk
// through the time-stretcher to a QAudioSink. Reading, stretching and writing
// to the device happen on a feed thread of the player's own (see AudioFeed),
// so the user-interface thread being busy is not heard.
//
// The heard position is the sample the listener hears: the device's clock of
// played audio says how many output frames have left the speaker, and the
// stream maps that back to the source frame it was made from; the position
// runs evenly through the same moments. The feed publishes both, and the
// readers only read what was published, so they may be called from any
// thread, by any number of callers, without one changing what another sees. The device is opened only while playing; pausing closes it, so what
// it still held is dropped and play resumes exactly where the listener
// stopped hearing.
//
// Files whose rate or channels the output refuses are converted to what it
// takes; positions stay in the file's time.
class AudioPlayer final : public QObject, public Player {
    Q_OBJECT
  public:
    explicit AudioPlayer(QObject* parent = nullptr);
    ~AudioPlayer() override;

    std::string fileName() const override { return fileName_; }
    void setFileName(const std::string& path) override;
    double currentPosition() const override;
    void setCurrentPosition(double seconds) override;
    double heardPosition() const override;
    double duration() const override;
    double rate() const override { return rate_; }
    void setRate(double rate) override;
    int volume() const override { return volume_; }
    void setVolume(int hundredthsDb) override;
    void play() override;
    void pause() override;
    void stop() override;
    PlayState playState() const override { return state_; }

    // Audio the device has played since playback last started or seeked, by
    // the device's own clock as the feed last read it, carried forward to
    // now; in microseconds, 0 when not playing. Lets the reported position
    // be checked against the device. Any thread may call it.
    [[nodiscard]] std::int64_t deviceMicroseconds() const;

  private:
    void openDevice();
    // Returns the source frame heard last.
    double closeDevice();
    // Both positions stand still at source frame `frame`.
    void holdPosition(double frame);
    void onEndReached(int run);
    void onFeedFailed(int run, const QString& why);
    void changeState(PlayState state);

    std::string fileName_;
    std::unique_ptr<PlaybackStream> stream_;
    PlayState state_ = PlayState::Stopped;
    double rate_ = 1.0;
    int volume_ = 0;

    // Source frames; stands still while the device is closed, when this
    // thread writes it, and moves while the feed does.
    PositionLine position_{SteadySeconds};
    PositionLine heard_{SteadySeconds};
    PositionLine deviceClock_{SteadySeconds};
    // The loaded file's frames per second, for readers on any thread.
    std::atomic<int> sourceRate_{1};

    QThread thread_;
    AudioFeed* feed_;
    bool open_ = false;
    // Counts the device's openings, so that news of a run already closed is
    // ignored.
    int run_ = 0;
};

}  // namespace obrin
