#include "playback/playback_stream.h"

#include <SoundTouch.h>

#include <algorithm>
#include <cmath>

namespace obrin {

namespace {
// Frames handed to the time-stretcher at a time: small enough that the frames
// it holds stay few, large enough to keep the calls cheap.
constexpr std::size_t kStretchChunk = 1024;
// Anchors kept: the player only asks about the last second or so of output,
// and one anchor is made per chunk.
constexpr std::size_t kMaxAnchors = 1024;

constexpr int kSequenceMs = 40;
constexpr int kSeekWindowMs = 15;
constexpr int kOverlapMs = 8;

// How far (ms of the source) the sound runs ahead of the anchors at `rate`.
// The stretcher hands out a sequence at normal speed before it skips, so at
// slow speeds the sound is ahead by most of a sequence times the slowdown;
// above normal speed it drops input and gets ahead more gently. Measured with
// tone bursts for these sequence settings (see the stream's tests); the
// residue is within ±3 ms up to 1.5 times normal speed.
double StretchLeadMs(double rate) {
    constexpr double kAtNormal = 6.4;
    constexpr double kPerSlowdown = 31.3;
    constexpr double kPerSpeedup = 16.0;
    return rate <= 1.0 ? kAtNormal + kPerSlowdown * (1.0 - rate)
                       : kAtNormal - kPerSpeedup * (rate - 1.0);
}
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
    if (f.channels > SOUNDTOUCH_MAX_CHANNELS) {
        throw WavError(path.string() + ": " + std::to_string(f.channels) +
                       " channels are more than the player can stretch");
    }
    stretcher_->setChannels(static_cast<unsigned>(f.channels));
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
    std::size_t got = 0;
    for (;;) {
        got +=
            stretcher_->receiveSamples(out + got * channels, static_cast<unsigned>(frames - got));
        if (got == frames || flushed_) return got;
        input_.resize(kStretchChunk * channels);
        const std::size_t n = reader_.read(input_.data(), kStretchChunk);
        if (n == 0) {
            // Pushes out what the stretcher still holds; it pads with a little
            // silence, which plays as part of the end.
            stretcher_->flush();
            flushed_ = true;
        } else {
            stretcher_->putSamples(input_.data(), static_cast<unsigned>(n));
            // The stretcher works through its input in order: the output frame
            // after everything it has made so far starts at the first input
            // frame it has not used yet.
            addAnchor({static_cast<double>(stretched_ + got + stretcher_->numSamples()),
                       static_cast<double>(reader_.tell()) - stretcher_->numUnprocessedSamples(),
                       rate_});
        }
    }
}

double PlaybackStream::sourceFrameAt(double outputFrame) const {
    return sourceFrameOfStretched(resampler_ ? resampler_->inputFrameAt(outputFrame) : outputFrame);
}

double PlaybackStream::sourceFrameOfStretched(double outputFrame) const {
    auto next = std::upper_bound(anchors_.begin(), anchors_.end(), outputFrame,
                                 [](double k, const Anchor& a) { return k < a.output; });
    const Anchor& a = next == anchors_.begin() ? anchors_.front() : *std::prev(next);
    double source = a.source + (outputFrame - a.output) * a.rate;
    if (next != anchors_.end() && next != anchors_.begin() && next->output > a.output) {
        source = a.source +
                 (outputFrame - a.output) * (next->source - a.source) / (next->output - a.output);
    }
    if (a.rate != 1.0) source += StretchLeadMs(a.rate) * format().sampleRate / 1000.0;
    return std::clamp(source, 0.0, static_cast<double>(frameCount()));
}

}  // namespace obrin
