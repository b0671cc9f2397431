#include "playback/playback_stream.h"

#include <SoundTouch.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace obrin {

namespace {
// Frames handed to the time-stretcher at a time: small enough that the frames
// it holds stay few, large enough to keep the calls cheap.
constexpr std::size_t kStretchChunk = 1024;
// Anchors kept: the player only asks about the last second or so of output.
// Each of the stretcher's sequences makes one for its straight run and up to
// a dozen across the cross-fade into the next, some 300 a second of output.
constexpr std::size_t kMaxAnchors = 16384;

constexpr int kSequenceMs = 40;
constexpr int kSeekWindowMs = 15;
constexpr int kOverlapMs = 8;

// Two extra channels go through the time-stretcher beside the sound and say
// which source frame each output frame plays: the cosine and sine of the
// frame's place within a period of kMarkPeriod frames. The stretcher cuts,
// repeats and cross-fades them exactly as it does the sound, so their angle,
// read back on the way out, is the source frame heard there (a cross-fade
// gives the weighted mean of the two frames it joins). They are faint enough
// not to sway where the stretcher splices the sound, and the period is long
// enough that the frame is found again from the nearest whole period.
constexpr int kMarkChannels = 2;
constexpr double kMarkPeriod = 16384;
constexpr float kMarkLevel = 1e-3f;
// An output frame whose marks are weaker than this (the silence the
// stretcher pads its end with) says nothing.
constexpr float kFaintestMark = kMarkLevel / 2;
// Output frames between two readings of the marks.
constexpr std::size_t kMarkEvery = 32;
// How far (frames) a reading may stray from the line of the last anchor
// before it starts a new one.
constexpr double kMarkSlack = 0.5;

// Copies `frames` frames of `from` channels to `to` channels.
void MapChannels(const float* in, std::size_t frames, int from, float* out, int to) {
    const auto inChannels = static_cast<std::size_t>(from);
    const auto outChannels = static_cast<std::size_t>(to);
    for (std::size_t f = 0; f < frames; ++f, in += inChannels, out += outChannels) {
        if (outChannels == 1) {
            float sum = 0;
            for (std::size_t c = 0; c < inChannels; ++c) sum += in[c];
            out[0] = sum / static_cast<float>(inChannels);
        } else {
            for (std::size_t c = 0; c < outChannels; ++c) out[c] = in[c % inChannels];
        }
    }
}
}  // namespace

PlaybackStream::PlaybackStream(const std::filesystem::path& path)
    : reader_(path), stretcher_(std::make_unique<soundtouch::SoundTouch>()) {
    const WavFormat& f = reader_.format();
    if (f.channels + kMarkChannels > SOUNDTOUCH_MAX_CHANNELS) {
        throw WavError(path.string() + ": " + std::to_string(f.channels) +
                       " channels are more than the player can stretch");
    }
    stretcher_->setChannels(static_cast<unsigned>(f.channels + kMarkChannels));
    stretcher_->setSampleRate(static_cast<unsigned>(f.sampleRate));
    // Within one sequence the stretcher plays its input at normal speed, so
    // the moment heard strays from the mapped one by up to a sequence times
    // the speed change. Short fixed sequences keep that stray small at slow
    // speeds, where the automatic choice would take up to 125 ms.
    stretcher_->setSetting(SETTING_SEQUENCE_MS, kSequenceMs);
    stretcher_->setSetting(SETTING_SEEKWINDOW_MS, kSeekWindowMs);
    stretcher_->setSetting(SETTING_OVERLAP_MS, kOverlapMs);
    setOutput({f.sampleRate, f.channels});
}

PlaybackStream::~PlaybackStream() = default;

void PlaybackStream::setOutput(OutputFormat output) {
    output_ = output;
    const WavFormat& f = format();
    resampler_.reset();
    if (output.sampleRate != f.sampleRate) {
        resampler_ = std::make_unique<Resampler>(f.sampleRate, output.sampleRate, f.channels);
    }
    restart(0);
}

void PlaybackStream::restart(std::uint64_t sourceFrame) {
    anchors_.clear();
    stretched_ = 0;
    rendered_ = 0;
    if (resampler_) resampler_->reset();
    beginSegment(static_cast<double>(std::min(sourceFrame, frameCount())));
}

void PlaybackStream::setRate(double rate) {
    if (rate == rate_) return;
    const double at = sourceFrameOfStretched(static_cast<double>(stretched_));
    rate_ = rate;
    beginSegment(at);
}

// The stretcher is emptied at every change of rate, so the new rate starts
// from a known source frame; the sound of a rate change is the only thing that
// pays for it, with a few milliseconds of re-priming.
void PlaybackStream::beginSegment(double sourceFrame) {
    const auto start = static_cast<std::uint64_t>(std::llround(sourceFrame));
    reader_.seek(start);
    stretcher_->clear();
    stretcher_->setTempo(rate_);
    flushed_ = false;
    // What the stretcher held beyond the frames rendered is gone.
    const auto done = static_cast<double>(stretched_);
    while (!anchors_.empty() && anchors_.back().output >= done) anchors_.pop_back();
    addAnchor({done, static_cast<double>(reader_.tell()), rate_});
    lastMark_ = anchors_.back();
}

void PlaybackStream::addAnchor(Anchor anchor) {
    anchors_.push_back(anchor);
    if (anchors_.size() > kMaxAnchors) anchors_.pop_front();
}

std::size_t PlaybackStream::render(float* out, std::size_t frames) {
    const int channels = format().channels;
    float* target = out;
    if (output_.channels != channels) {
        unmapped_.resize(frames * static_cast<std::size_t>(channels));
        target = unmapped_.data();
    }
    const std::size_t n =
        resampler_
            ? resampler_->render(target, frames,
                                 [this](float* o, std::size_t k) { return renderSource(o, k); })
            : renderSource(target, frames);
    if (target != out) MapChannels(target, n, channels, out, output_.channels);
    rendered_ += n;
    return n;
}

std::size_t PlaybackStream::renderSource(float* out, std::size_t frames) {
    const std::size_t n = rate_ == 1.0 ? reader_.read(out, frames) : renderStretched(out, frames);
    const auto channels = static_cast<std::size_t>(format().channels);
    if (appliedGain_ != gain_ && n > 0) {
        const float step = (gain_ - appliedGain_) / static_cast<float>(n);
        for (std::size_t f = 0; f < n; ++f) {
            const float g = appliedGain_ + step * static_cast<float>(f + 1);
            for (std::size_t c = 0; c < channels; ++c) out[f * channels + c] *= g;
        }
        appliedGain_ = gain_;
    } else if (gain_ != 1.0f) {
        std::transform(out, out + n * channels, out, [g = gain_](float s) { return s * g; });
    }
    stretched_ += n;
    return n;
}

std::size_t PlaybackStream::renderStretched(float* out, std::size_t frames) {
    const auto channels = static_cast<std::size_t>(format().channels);
    const std::size_t width = channels + kMarkChannels;
    marked_.resize(frames * width);
    std::size_t got = 0;
    for (;;) {
        got += stretcher_->receiveSamples(marked_.data() + got * width,
                                          static_cast<unsigned>(frames - got));
        if (got == frames || flushed_) break;
        const std::uint64_t first = reader_.tell();
        input_.resize(kStretchChunk * channels);
        const std::size_t n = reader_.read(input_.data(), kStretchChunk);
        if (n == 0) {
            // Pushes out what the stretcher still holds; it pads with a little
            // silence, which plays as part of the end.
            stretcher_->flush();
            flushed_ = true;
            continue;
        }
        markedInput_.resize(n * width);
        for (std::size_t f = 0; f < n; ++f) {
            std::copy_n(&input_[f * channels], channels, &markedInput_[f * width]);
            const double angle = 2 * std::numbers::pi *
                                 std::fmod(static_cast<double>(first + f), kMarkPeriod) /
                                 kMarkPeriod;
            markedInput_[f * width + channels] = kMarkLevel * static_cast<float>(std::cos(angle));
            markedInput_[f * width + channels + 1] =
                kMarkLevel * static_cast<float>(std::sin(angle));
        }
        stretcher_->putSamples(markedInput_.data(), static_cast<unsigned>(n));
    }
    for (std::size_t f = 0; f < got; ++f) {
        const float* frame = &marked_[f * width];
        std::copy_n(frame, channels, out + f * channels);
        const std::uint64_t output = stretched_ + f;
        if (output % kMarkEvery == 0) readMarks(static_cast<double>(output), frame + channels);
    }
    return got;
}

// The marks give the source frame within its period; the whole periods come
// from where the anchors so far put this output frame. Only a point off the
// line of the last anchor makes a new one, so a stretch the stretcher copies
// straight (most of each of its sequences) costs one anchor.
void PlaybackStream::readMarks(double outputFrame, const float* marks) {
    const double c = marks[0];
    const double s = marks[1];
    if (std::hypot(c, s) < kFaintestMark) return;
    double within = std::atan2(s, c) / (2 * std::numbers::pi) * kMarkPeriod;
    if (within < 0) within += kMarkPeriod;
    const double expected = sourceFrameOfStretched(outputFrame);
    const double source = within + kMarkPeriod * std::round((expected - within) / kMarkPeriod);
    if (std::abs(source - expected) > kMarkSlack && outputFrame > lastMark_.output) {
        const double slope = (source - lastMark_.source) / (outputFrame - lastMark_.output);
        if (!anchors_.empty() && anchors_.back().output >= lastMark_.output) anchors_.pop_back();
        addAnchor({lastMark_.output, lastMark_.source, slope});
    }
    lastMark_ = {outputFrame, source, 0};
}

double PlaybackStream::sourceFrameAt(double outputFrame) const {
    return sourceFrameOfStretched(resampler_ ? resampler_->inputFrameAt(outputFrame) : outputFrame);
}

double PlaybackStream::sourceFrameOfStretched(double outputFrame) const {
    auto next = std::upper_bound(anchors_.begin(), anchors_.end(), outputFrame,
                                 [](double k, const Anchor& a) { return k < a.output; });
    const Anchor& a = next == anchors_.begin() ? anchors_.front() : *std::prev(next);
    const double source = a.source + (outputFrame - a.output) * a.rate;
    return std::clamp(source, 0.0, static_cast<double>(frameCount()));
}

}  // namespace obrin
