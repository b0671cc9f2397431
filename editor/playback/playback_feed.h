#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "playback/output_format.h"
#include "playback/play_clock.h"
#include "playback/position_line.h"

namespace obrin {

class PlaybackStream;

// An opened audio output as the feed uses it: room, writes and the clock of
// what it has played. Nothing here may wait.
class AudioOutput {
  public:
    virtual ~AudioOutput() = default;
    // Bytes the output takes now.
    [[nodiscard]] virtual std::size_t bytesFree() const = 0;
    // Hands over up to `size` bytes and returns how many the output took.
    virtual std::size_t write(const unsigned char* data, std::size_t size) = 0;
    // Audio played since the output was started, by its own clock.
    [[nodiscard]] virtual std::int64_t processedMicroseconds() const = 0;
    // The output stopped by itself and plays no more.
    [[nodiscard]] virtual bool broken() const = 0;
};

// Keeps an audio output fed from a PlaybackStream and publishes what it plays.
// Whoever owns the output calls tick() every kTickMs on one thread, the feed
// thread; each tick tops the output up, reads its clock, smooths it
// (PlayClock) and publishes three lines other threads read: where the
// listener is, evenly (`position`); the source frame being heard (`heard`);
// and the output's own clock in microseconds (`deviceClock`).
//
// The output's buffer has to ride out the feed thread waiting for a core on a
// busy machine, but it also sets the server's latency, and PulseAudio's
// played-audio clock errs by a fraction of that latency (it subtracts an
// average of past latencies from the current read index): its reports stray
// 4-8 ms at 50 ms of buffer, 15-20 ms at 150 ms and more beyond, so a larger
// buffer would trade exact positions for safety against stalls.
class PlaybackFeed {
  public:
    // How much audio the output should hold ahead of the speaker, and how
    // often the feed tops it up and publishes the position.
    static constexpr int kBufferMs = 50;
    static constexpr int kTickMs = 5;

    struct Start {
        // Lent until close(); set to the output's format already.
        PlaybackStream* stream = nullptr;
        SampleType sampleType = SampleType::Float;
        double startFrame = 0;
        double rate = 1.0;
        float gain = 1.0f;
    };

    // What a tick found, told once a run.
    enum class Event {
        None,
        // The file has been played out.
        EndReached,
        // The output stopped by itself, or something failed while feeding it
        // (failure() says what).
        Failed,
    };

    // `clock` is the lines' clock, in seconds.
    PlaybackFeed(PositionLine& position, PositionLine& heard, PositionLine& deviceClock,
                 PositionLine::Clock clock);

    // Begins a run on `output`, just started, from `start.startFrame`, and
    // ticks once.
    Event start(AudioOutput& output, const Start& start);
    Event tick();
    // Stops feeding and returns the source frame the listener heard last;
    // both positions stand still. Nothing happens when not started.
    double close();
    // Both positions stand still at `frame`, as when the output could not be
    // started.
    void holdAt(double frame);
    void setRate(double rate);
    void setGain(float gain);

    [[nodiscard]] const std::string& failure() const { return failure_; }

  private:
    void write();
    void publishPosition(double now);
    void publishHeard(double now, double heard, double pace, double handed);
    Event fail(std::string why);

    PositionLine& position_;
    PositionLine& heard_;
    PositionLine& deviceClock_;
    PositionLine::Clock clock_;
    AudioOutput* output_ = nullptr;
    PlaybackStream* stream_ = nullptr;
    SampleType sampleType_ = SampleType::Float;
    double outputRate_ = 0;

    // Output frames of this run written to the output, and encoded frames it
    // has not taken yet.
    std::uint64_t handedFrames_ = 0;
    std::vector<float> rendered_;
    std::vector<unsigned char> pending_;
    std::size_t pendingOffset_ = 0;
    bool streamEnded_ = false;
    // An event has been told for this run.
    bool told_ = false;
    std::string failure_;
    // Once the file is played out: when its last frame is due at the speaker
    // at the latest.
    double endDue_ = 0;

    // The output's played frames, smoothed, and where that stood last tick.
    PlayClock played_{1.0};
    double lastTick_ = 0;
    double lastHeard_ = 0;
    // The frames handed to the output when the last tick published.
    double lastHanded_ = 0;
};

}  // namespace obrin
