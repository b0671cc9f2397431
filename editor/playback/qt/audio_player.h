#pragma once

#include <QAudioFormat>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "playback/play_clock.h"
#include "base/player.h"

class QAudioSink;
class QIODevice;

namespace obrin {

class PlaybackStream;

// The player on the default audio output: streams a PCM WAV file from disk
// through the time-stretcher into a QAudioSink, which it feeds from a timer on
// the user-interface thread.
//
// The position is the sample the listener hears: the device's clock of played
// audio says how many output frames have left the speaker, and the stream maps
// that back to the source frame it was made from. The device is opened only
// while playing; pausing closes it, so what it still held is dropped and play
// resumes exactly where the listener stopped hearing.
class AudioPlayer final : public QObject, public Player {
    Q_OBJECT
  public:
    explicit AudioPlayer(QObject* parent = nullptr);
    ~AudioPlayer() override;

    std::string fileName() const override { return fileName_; }
    void setFileName(const std::string& path) override;
    double currentPosition() const override;
    void setCurrentPosition(double seconds) override;
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
    // the device's own clock, in microseconds; 0 when not playing. Lets the
    // reported position be checked against the device.
    [[nodiscard]] std::int64_t deviceMicroseconds() const;

  private:
    void openDevice();
    void closeDevice();
    void feed();
    void finishAtEnd();
    void onDeviceFailed();
    void changeState(PlayState state);
    double heardSourceFrame() const;
    // Output frames of this run the device has played, by its own clock.
    double playedOutputFrames() const;

    std::string fileName_;
    std::unique_ptr<PlaybackStream> stream_;
    QAudioFormat format_;
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* device_ = nullptr;
    QTimer feedTimer_;
    PlayState state_ = PlayState::Stopped;
    double rate_ = 1.0;
    int volume_ = 0;

    // Where playback stands while not playing (source frames).
    double heldFrame_ = 0;
    // Output frames of this run written to the device, and rendered frames
    // it has not taken yet.
    std::uint64_t handedFrames_ = 0;
    std::vector<float> pending_;
    std::size_t pendingOffset_ = 0;
    bool streamEnded_ = false;
    // The device's played frames, smoothed; fed by every feed().
    mutable PlayClock clock_{1.0};
    // The last position reported in this run: rate changes round the source
    // frame a new stretch starts at, and the position must not step back.
    mutable double lastReportedFrame_ = 0;
    // Once the file is played out: when its last frame is due at the speaker
    // at the latest.
    std::chrono::steady_clock::time_point endDue_;
};

}  // namespace obrin
