#pragma once

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "playback/output_format.h"
#include "playback/play_clock.h"
#include "playback/position_line.h"

class QAudioSink;
class QIODevice;

namespace obrin {

class PlaybackStream;

// Feeds the audio output from a thread of its own. AudioPlayer moves it to
// that thread, calls open() and close() there with blocking calls and the
// setters with queued ones, and hears of the end of the file or a failed
// output through the queued signals; every member runs on the feed thread.
//
// Why a thread with its own event loop, writing to the sink, rather than a
// sink on the user-interface thread pulling from a ring buffer: QAudioSink
// pulls from its QIODevice on a timer of the thread it lives on, so a pulling
// sink on the user-interface thread stalls with it, and a ring buffer between
// threads adds its own latency to what the position must account for. Here
// the sink, its timers and everything that reads, stretches and writes the
// audio live on one thread that nothing else blocks, and that runs at a
// real-time priority where the system allows it. The device buffer stays
// small, which keeps the sound server's played-audio clock close to the
// truth: with PulseAudio its reports stray 4-8 ms at 50 ms of buffer, 15-20 ms
// at 150 ms and more beyond, so a larger buffer would trade exact positions
// for safety against stalls.
//
// While the output is open the feed holds the stream and is the only writer of
// the positions: each tick it reads the device's clock, smooths it and
// publishes where the listener is and how fast that moves, so readers on any
// thread need nothing from this one.
class AudioFeed final : public QObject {
    Q_OBJECT
  public:
    struct Opening {
        QAudioDevice device;
        QAudioFormat format;
        SampleType sampleType = SampleType::Float;
        // Lent until close(); set to the output's format already.
        PlaybackStream* stream = nullptr;
        double startFrame = 0;
        double rate = 1.0;
        float gain = 1.0f;
        // Names this run in the signals.
        int run = 0;
    };

    AudioFeed(PositionLine& position, PositionLine& heard, PositionLine& deviceClock);
    ~AudioFeed() override;

    // Starts playing; an empty result means it plays, otherwise it says why
    // the output could not be opened.
    [[nodiscard]] QString open(const Opening& opening);
    // Stops the output at once, dropping what it held, and returns the source
    // frame the listener heard last; both positions stand still.
    // Nothing happens when not open.
    double close();
    void setRate(double rate);
    void setGain(float gain);

  signals:
    // The file has been played out.
    void endReached(int run);
    // The output stopped by itself, or the file could no longer be read.
    void failed(int run);

  private:
    void tick();
    void write();
    void publishPosition(double now);
    void publishHeard(double now, double heard, double pace, double handed);
    void fail();

    PositionLine& position_;
    PositionLine& heard_;
    PositionLine& deviceClock_;
    QTimer timer_;
    std::unique_ptr<QAudioSink> sink_;
    QAudioDevice sinkDevice_;
    QIODevice* device_ = nullptr;
    PlaybackStream* stream_ = nullptr;
    SampleType sampleType_ = SampleType::Float;
    int run_ = 0;
    // The thread's priority has been raised, or could not be.
    bool runsAhead_ = false;
    double outputRate_ = 0;

    // Output frames of this run written to the device, and encoded frames it
    // has not taken yet.
    std::uint64_t handedFrames_ = 0;
    std::vector<float> rendered_;
    std::vector<unsigned char> pending_;
    std::size_t pendingOffset_ = 0;
    bool streamEnded_ = false;
    // endReached or failed has been emitted for this run.
    bool told_ = false;
    // Once the file is played out: when its last frame is due at the speaker
    // at the latest.
    std::chrono::steady_clock::time_point endDue_;

    // The device's played frames, smoothed, and where that stood last tick.
    PlayClock clock_{1.0};
    double lastTick_ = 0;
    double lastHeard_ = 0;
};

}  // namespace obrin
