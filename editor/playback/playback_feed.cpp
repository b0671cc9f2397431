#include "playback/playback_feed.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "playback/playback_stream.h"

namespace obrin {

namespace {
// When the output's clock stops short of the end of the file (a server that
// holds back a last fragment), the end is declared this long after it was due.
constexpr double kEndGrace = 1.0;
// The position may move this much faster than normal between ticks while the
// clock catches up with the output.
constexpr double kMaxCatchUp = 1.1;
// A tick later than this (seconds), after which the output is found to have
// played all it had been handed, says nothing of the pace now: the output ran
// dry meanwhile and has just been given audio again, so it plays at its own
// rate from here, however little it played since the last tick. A late tick
// with audio still queued keeps the clock's pace, which follows the output.
constexpr double kLateTick = 0.02;
// Played frames this close to all that was handed count as an output run dry.
constexpr double kDryFrames = 64;
// How many ticks' worth the heard position may run on while a tick is late,
// as far as the stream's mapping stays within kBendSeconds of its runs, and
// the output frames between two looks at that mapping.
constexpr int kTicksAhead = 10;
constexpr double kBendSeconds = 0.001;
constexpr double kLookStep = 16;
// How long a read of the output's clock is carried forward.
constexpr double kDeviceClockLead = 0.02;
}  // namespace

PlaybackFeed::PlaybackFeed(PositionLine& position, PositionLine& heard, PositionLine& deviceClock,
                           PositionLine::Clock clock)
    : position_(position), heard_(heard), deviceClock_(deviceClock), clock_(clock) {}

PlaybackFeed::Event PlaybackFeed::start(AudioOutput& output, const Start& s) {
    output_ = &output;
    stream_ = s.stream;
    sampleType_ = s.sampleType;
    outputRate_ = stream_->output().sampleRate;
    stream_->setRate(s.rate);
    stream_->setGain(s.gain);
    stream_->restart(static_cast<std::uint64_t>(s.startFrame));
    handedFrames_ = 0;
    pending_.clear();
    pendingOffset_ = 0;
    streamEnded_ = false;
    told_ = false;
    failure_.clear();
    played_ = PlayClock(outputRate_);
    lastHeard_ = 0;
    lastHanded_ = 0;
    // The stream starts on a whole frame; the positions do not go back to it,
    // and the even one, which may have stopped a little ahead of the heard
    // one, waits there.
    const double from = std::max(s.startFrame, stream_->sourceFrameAt(0));
    position_.hold(std::max(from, position_.read()));
    heard_.hold(from);
    deviceClock_.hold(0);
    lastTick_ = clock_();
    return tick();
}

double PlaybackFeed::close() {
    if (!output_) return heard_.read();
    const double heard = heard_.stop();
    (void)position_.stop();
    output_ = nullptr;
    stream_ = nullptr;
    deviceClock_.hold(0);
    return heard;
}

void PlaybackFeed::holdAt(double frame) {
    position_.hold(frame);
    heard_.hold(frame);
}

void PlaybackFeed::setRate(double rate) {
    if (stream_) stream_->setRate(rate);
}

void PlaybackFeed::setGain(float gain) {
    if (stream_) stream_->setGain(gain);
}

// Whatever goes wrong while the output is fed ends the run with a message;
// nothing escapes to the thread's event loop, which would end the program.
PlaybackFeed::Event PlaybackFeed::tick() {
    if (!output_) return Event::None;
    try {
        if (output_->broken()) return fail("the audio output stopped");
        write();
        const double now = clock_();
        const auto usecs = static_cast<double>(output_->processedMicroseconds());
        deviceClock_.set(now, usecs, 1e6, usecs + kDeviceClockLead * 1e6);
        const double played = usecs * outputRate_ / 1e6;
        played_.sample(now, played);
        publishPosition(now);
        if (!streamEnded_ || told_) return Event::None;
        if (played >= static_cast<double>(stream_->renderedFrames()) || now >= endDue_) {
            told_ = true;
            return Event::EndReached;
        }
        return Event::None;
    } catch (const std::exception& e) {
        return fail(e.what());
    } catch (...) {
        return fail("the audio could not be prepared");
    }
}

// The even position runs at the pace the smoothed clock has kept since the
// last tick (the output's own rate once it ran dry), so a reader between
// ticks sees where the next tick will put it; it cannot pass the last frame
// handed to the output.
void PlaybackFeed::publishPosition(double now) {
    const auto handed = static_cast<double>(handedFrames_);
    const double heard = std::min(played_.playedAt(now), handed);
    const double elapsed = now - lastTick_;
    const bool ranDry = elapsed > kLateTick && heard + kDryFrames >= lastHanded_;
    double pace = outputRate_;
    if (lastHeard_ > 0 && elapsed > 0 && !ranDry) {
        pace = std::clamp((heard - lastHeard_) / elapsed, 0.0, outputRate_ * kMaxCatchUp);
    }
    lastTick_ = now;
    lastHanded_ = handed;
    if (heard <= 0) return;  // the output has not started playing
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
// the line takes the splices ahead at their moments too: forwards at once, or
// standing still where a splice back repeats what was heard. It goes on as
// far as the splices it can carry; a further one, which the line cannot
// place, ends it there. It never passes the last frame handed to the output,
// nor where the next tick is late by kTicksAhead ticks.
void PlaybackFeed::publishHeard(double now, double heard, double pace, double handed) {
    const double tick = kTickMs / 1000.0;
    const double perOutputFrame = stream_->format().sampleRate / outputRate_;
    const double perSecond = pace * perOutputFrame;
    const double bend = stream_->format().sampleRate * kBendSeconds;
    const double value = stream_->sourceFrameAt(heard);
    PositionLine::Splices splices{};
    std::size_t count = 0;
    // The run being played at output frame `o`, as the line has it so far:
    // from `runValue` at output frame `runFrom`.
    double runFrom = heard;
    double runValue = value;
    const auto offRun = [&](double o) {
        return std::abs(stream_->sourceFrameAt(o) - (runValue + (o - runFrom) * perOutputFrame)) >
               bend;
    };
    double limit = value;
    const double end = std::min(heard + pace * tick * kTicksAhead, handed);
    for (double o = heard + kLookStep; o <= end; o += kLookStep) {
        if (offRun(o)) {
            if (count == splices.size()) break;
            // The splice lies on the first frame off the run since the last
            // look.
            double from = o - kLookStep;
            double to = o;
            while (to - from > 1) {
                const double middle = (from + to) / 2;
                (offRun(middle) ? to : from) = middle;
            }
            runFrom = to;
            runValue = stream_->sourceFrameAt(to);
            splices[count++] = {now + (to - heard) / pace, runValue, perSecond};
        }
        limit = std::max(limit, stream_->sourceFrameAt(o));
    }
    heard_.follow(now, value, perSecond, limit, splices);
}

void PlaybackFeed::write() {
    const auto channels = static_cast<std::size_t>(stream_->output().channels);
    const std::size_t bytesPerFrame =
        channels * static_cast<std::size_t>(BytesPerSample(sampleType_));
    std::size_t room = output_->bytesFree() / bytesPerFrame;
    while (room > 0) {
        if (pendingOffset_ == pending_.size()) {
            rendered_.resize(room * channels);
            std::size_t made = 0;
            if (!streamEnded_) {
                made = stream_->render(rendered_.data(), room);
                if (made == 0) {
                    streamEnded_ = true;
                    endDue_ = clock_() + kBufferMs / 1000.0 + kEndGrace;
                }
            }
            // After the end the output is kept fed with silence, so it plays
            // the last real frames out instead of waiting for more.
            if (made == 0) {
                made = room;
                std::fill(rendered_.begin(), rendered_.end(), 0.0f);
            }
            const std::size_t samples = made * channels;
            pending_.resize(samples * static_cast<std::size_t>(BytesPerSample(sampleType_)));
            EncodeSamples(rendered_.data(), samples, sampleType_, pending_.data());
            pendingOffset_ = 0;
        }
        const std::size_t written =
            output_->write(pending_.data() + pendingOffset_, pending_.size() - pendingOffset_);
        const std::size_t frames = written / bytesPerFrame;
        if (frames == 0) break;
        pendingOffset_ += frames * bytesPerFrame;
        handedFrames_ += frames;
        room -= std::min(room, frames);
    }
}

PlaybackFeed::Event PlaybackFeed::fail(std::string why) {
    if (told_) return Event::None;
    told_ = true;
    failure_ = std::move(why);
    return Event::Failed;
}

}  // namespace obrin
