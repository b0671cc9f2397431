#include "playback/qt/audio_feed.h"

#include <pthread.h>
#include <sched.h>

#include <QAudioSink>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include "playback/playback_stream.h"

namespace obrin {

namespace {
// The device holds about this much audio ahead of the speaker. It has to ride
// out the feed thread waiting for a core on a busy machine, but it also sets
// the server's latency, and PulseAudio's played-audio clock errs by a fraction
// of that latency (it subtracts an average of past latencies from the current
// read index): on a null sink its reports stray 15-20 ms from their trend at
// 200 ms and 4-8 ms at 50 ms.
constexpr int kDeviceBufferMs = 50;
// How often the feed tops the device up and publishes the position.
constexpr int kTickMs = 5;
// When the device's clock stops short of the end of the file (a server that
// holds back a last fragment), the end is declared this long after it was due.
constexpr auto kEndGrace = std::chrono::milliseconds(1000);
// The position may move this much faster than normal between ticks while the
// clock catches up with the device.
constexpr double kMaxCatchUp = 1.1;
// How many ticks' worth the heard position may run on while a tick is late,
// as far as the stream's mapping stays within kBendSeconds of its runs, and
// the output frames between two looks at that mapping.
constexpr int kTicksAhead = 10;
constexpr double kBendSeconds = 0.001;
constexpr double kLookStep = 16;
// How long a read of the device's clock is carried forward.
constexpr double kDeviceClockLead = 0.02;
// Asks the scheduler to run the calling thread, and the sound server's client
// threads of this process, ahead of ordinary work, at the lowest real-time
// priority (below the sound server's own threads). On a busy machine they
// otherwise wait 40-70 ms for a core at times, longer than the device buffer
// lasts. Where the system does not allow it (a user without a real-time
// limit), they stay as they are.
void RunAheadOfOrdinaryWork() {
    sched_param lowest{};
    lowest.sched_priority = sched_get_priority_min(SCHED_RR);
    if (pthread_setschedparam(pthread_self(), SCHED_RR, &lowest) != 0) return;
    // libpulse's mainloop thread carries what the feed writes to the server.
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && name == "threaded-ml") {
            (void)sched_setscheduler(std::stoi(task.path().filename().string()), SCHED_RR, &lowest);
        }
    }
}
}  // namespace

AudioFeed::AudioFeed(PositionLine& position, PositionLine& heard, PositionLine& deviceClock)
    : position_(position), heard_(heard), deviceClock_(deviceClock), timer_(this) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &AudioFeed::tick);
}

AudioFeed::~AudioFeed() {
    close();
}

QString AudioFeed::open(const Opening& o) {
    if (!sink_ || sinkDevice_ != o.device || sink_->format() != o.format) {
        sink_ = std::make_unique<QAudioSink>(o.device, o.format);
        sinkDevice_ = o.device;
        connect(sink_.get(), &QAudioSink::stateChanged, this, [this](QAudio::State s) {
            if (s == QAudio::StoppedState && device_ && sink_->error() != QAudio::NoError) fail();
        });
    }
    stream_ = o.stream;
    sampleType_ = o.sampleType;
    run_ = o.run;
    outputRate_ = o.format.sampleRate();
    stream_->setRate(o.rate);
    stream_->setGain(o.gain);
    stream_->restart(static_cast<std::uint64_t>(o.startFrame));
    handedFrames_ = 0;
    pending_.clear();
    pendingOffset_ = 0;
    streamEnded_ = false;
    told_ = false;
    clock_ = PlayClock(outputRate_);
    lastHeard_ = 0;
    // The stream starts on a whole frame; the positions do not go back to it,
    // and the even one, which may have stopped a little ahead of the heard
    // one, waits there.
    const double start = std::max(o.startFrame, stream_->sourceFrameAt(0));
    position_.hold(std::max(start, position_.read()));
    heard_.hold(start);
    deviceClock_.hold(0);
    sink_->setBufferSize(o.format.bytesForDuration(kDeviceBufferMs * 1000));
    device_ = sink_->start();
    if (!device_ || sink_->error() == QAudio::OpenError || sink_->error() == QAudio::FatalError) {
        device_ = nullptr;
        sink_->stop();
        stream_ = nullptr;
        position_.hold(o.startFrame);
        heard_.hold(o.startFrame);
        return QStringLiteral("the audio output cannot be opened");
    }
    if (!runsAhead_) {
        runsAhead_ = true;
        RunAheadOfOrdinaryWork();
    }
    lastTick_ = SteadySeconds();
    tick();
    timer_.start(kTickMs);
    return {};
}

double AudioFeed::close() {
    timer_.stop();
    if (!device_) return heard_.read();
    const double heard = heard_.stop();
    (void)position_.stop();
    device_ = nullptr;
    stream_ = nullptr;
    sink_->stop();
    deviceClock_.hold(0);
    return heard;
}

void AudioFeed::setRate(double rate) {
    if (stream_) stream_->setRate(rate);
}

void AudioFeed::setGain(float gain) {
    if (stream_) stream_->setGain(gain);
}

void AudioFeed::tick() {
    if (!device_) return;
    try {
        write();
    } catch (const WavError&) {
        fail();
        return;
    }
    const double now = SteadySeconds();
    const auto usecs = static_cast<double>(sink_->processedUSecs());
    deviceClock_.set(now, usecs, 1e6, usecs + kDeviceClockLead * 1e6);
    const double played = usecs * outputRate_ / 1e6;
    clock_.sample(now, played);
    publishPosition(now);
    // open() reports playing before the end is announced, as the queued
    // signal reaches the player after open() has returned.
    if (!streamEnded_ || told_) return;
    if (played >= static_cast<double>(stream_->renderedFrames()) ||
        std::chrono::steady_clock::now() >= endDue_) {
        told_ = true;
        emit endReached(run_);
    }
}

// The even position runs at the pace the smoothed clock has kept since the
// last tick, so a reader between ticks sees where the next tick will put it;
// it cannot pass the last frame handed to the device.
void AudioFeed::publishPosition(double now) {
    const auto handed = static_cast<double>(handedFrames_);
    const double heard = std::min(clock_.playedAt(now), handed);
    const double elapsed = now - lastTick_;
    double pace = outputRate_;
    if (lastHeard_ > 0 && elapsed > 0) {
        pace = std::clamp((heard - lastHeard_) / elapsed, 0.0, outputRate_ * kMaxCatchUp);
    }
    lastTick_ = now;
    if (heard <= 0) return;  // the device has not started playing
    lastHeard_ = heard;
    const double tick = kTickMs / 1000.0;
    const double even = stream_->evenSourceFrameAt(heard);
    const double perSecond = (stream_->evenSourceFrameAt(heard + pace * tick) - even) / tick;
    position_.advance(now, even, std::max(0.0, perSecond), stream_->evenSourceFrameAt(handed));
    publishHeard(now, heard, pace, handed);
}

// The heard line runs from where the listener is now along the run of the
// source being played, at the pace the smoothed clock has kept since the last
// tick. The stretcher plays the source in straight runs joined by splices, so
// the line takes the first splice ahead at its moment too: forwards at once,
// or standing still where a splice back repeats what was heard. Should the
// next tick be late, the line goes on only up to a second splice, which it
// cannot place, and never past the last frame handed to the device.
void AudioFeed::publishHeard(double now, double heard, double pace, double handed) {
    const double tick = kTickMs / 1000.0;
    const double perOutputFrame = stream_->format().sampleRate / outputRate_;
    const double perSecond = pace * perOutputFrame;
    const double bend = stream_->format().sampleRate * kBendSeconds;
    const double value = stream_->sourceFrameAt(heard);
    PositionLine::Splice splice{std::numeric_limits<double>::infinity(), 0, perSecond};
    double runFrom = heard;
    double runValue = value;
    double limit = value;
    const double end = std::min(heard + pace * tick * kTicksAhead, handed);
    for (double o = heard + kLookStep; o <= end; o += kLookStep) {
        const double at = stream_->sourceFrameAt(o);
        if (std::abs(at - (runValue + (o - runFrom) * perOutputFrame)) > bend) {
            if (splice.time != std::numeric_limits<double>::infinity()) break;
            splice = {now + (o - heard) / pace, at, perSecond};
            runFrom = o;
            runValue = at;
        }
        limit = std::max(limit, at);
    }
    heard_.follow(now, value, perSecond, limit, splice);
}

void AudioFeed::write() {
    const int channels = sink_->format().channelCount();
    const auto bytesPerFrame = static_cast<std::size_t>(channels * BytesPerSample(sampleType_));
    auto room =
        static_cast<std::size_t>(std::max<qsizetype>(sink_->bytesFree(), 0)) / bytesPerFrame;
    while (room > 0) {
        if (pendingOffset_ == pending_.size()) {
            rendered_.resize(room * static_cast<std::size_t>(channels));
            std::size_t made = 0;
            if (!streamEnded_) {
                made = stream_->render(rendered_.data(), room);
                if (made == 0) {
                    streamEnded_ = true;
                    endDue_ = std::chrono::steady_clock::now() +
                              std::chrono::milliseconds(kDeviceBufferMs) + kEndGrace;
                }
            }
            // After the end the device is kept fed with silence, so it plays
            // the last real frames out instead of waiting for more.
            if (made == 0) {
                made = room;
                std::fill(rendered_.begin(), rendered_.end(), 0.0f);
            }
            const std::size_t samples = made * static_cast<std::size_t>(channels);
            pending_.resize(samples * static_cast<std::size_t>(BytesPerSample(sampleType_)));
            EncodeSamples(rendered_.data(), samples, sampleType_, pending_.data());
            pendingOffset_ = 0;
        }
        const qint64 written =
            device_->write(reinterpret_cast<const char*>(pending_.data() + pendingOffset_),
                           static_cast<qint64>(pending_.size() - pendingOffset_));
        const std::size_t frames =
            static_cast<std::size_t>(std::max<qint64>(written, 0)) / bytesPerFrame;
        if (frames == 0) break;
        pendingOffset_ += frames * bytesPerFrame;
        handedFrames_ += frames;
        room -= std::min(room, frames);
    }
}

void AudioFeed::fail() {
    if (told_) return;
    told_ = true;
    emit failed(run_);
}

}  // namespace obrin
