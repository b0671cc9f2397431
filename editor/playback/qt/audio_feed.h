#pragma once

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>
#include <QTimer>
#include <memory>

#include "playback/output_format.h"
#include "playback/playback_feed.h"
#include "playback/position_line.h"

class QAudioSink;

namespace obrin {

class PlaybackStream;

// Feeds the audio output from a thread of its own: a QAudioSink driven by a
// PlaybackFeed, which holds everything the sink does not. AudioPlayer moves
// it to that thread, calls open() and close() there with blocking calls and
// the setters with queued ones, and hears of the end of the file or a failed
// output through the queued signals; every member runs on the feed thread.
//
// Why a thread with its own event loop, writing to the sink, rather than a
// sink on the user-interface thread pulling from a ring buffer: QAudioSink
// pulls from its QIODevice on a timer of the thread it lives on, so a pulling
// sink on the user-interface thread stalls with it, and a ring buffer between
// threads adds its own latency to what the position must account for. Here
// the sink, its timers and everything that reads, stretches and writes the
// audio live on one thread that nothing else blocks, and that runs at a
// real-time priority where the system allows it.
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
    // The output stopped by itself, or feeding it failed; `why` says how.
    void failed(int run, const QString& why);

  private:
    class SinkOutput;

    void tick();
    void tell(PlaybackFeed::Event event);

    PlaybackFeed feed_;
    QTimer timer_;
    std::unique_ptr<QAudioSink> sink_;
    QAudioDevice sinkDevice_;
    std::unique_ptr<SinkOutput> output_;
    int run_ = 0;
    // The thread's priority has been raised, or could not be.
    bool runsAhead_ = false;
};

}  // namespace obrin
