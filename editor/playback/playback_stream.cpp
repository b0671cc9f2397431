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
// Each of the stretcher's splices makes one for its straight run and up to a
// dozen across its cross-fade, some 400 a second of output at most.
constexpr std::size_t kMaxAnchors = 16384;

constexpr int kSequenceMs = 40;
constexpr int kSeekWindowMs = 15;
constexpr int kOverlapMs = 8;

// Two extra channels go through the time-stretcher beside the sound and say
// which source frame each output frame plays: the cosine and sine of the
// frame's place within a period of kMarkPeriod frames. The stretcher cuts,
// repeats and cross-fades them exactly as it does the sound, so their angle,
// read back on the way out, is the source frame heard there. They are faint
// enough not to sway where the stretcher splices the sound, and the period is
// long enough that the frame is found again from the nearest whole period.
constexpr int kMarkChannels = 2;
constexpr double kMarkPeriod = 16384;
constexpr float kMarkLevel = 1e-3f;
// Marks weaker than this, relative to kMarkLevel (the silence the stretcher
// pads its end with), say nothing.
constexpr double kFaintestMark = 0.5;
// Output frames between two readings of the marks.
constexpr std::size_t kMarkEvery = 32;
// How far (frames) a reading may stray from the line of the last anchor
// before it starts a new one.
constexpr double kMarkSlack = 0.5;
// Frames of the source per step of its loudness envelope, and the steps kept:
// the stretcher's runs lie within a second or so of what was read last.
constexpr std::uint64_t kEnvelopeStep = 32;
constexpr std::size_t kEnvelopeSteps = 8192;
// How far (seconds) either side of a frame its loudness is taken from. The
// loudest sample of a shorter stretch follows the peaks and troughs of the
// waveform, not its loudness: a low voice or tone, or two tones beating, are
// loud over a whole period of theirs (12 ms at 80 Hz) yet faint for
// milliseconds within it, so a cross-fade would seem to swing from run to run
// and back. The reach also covers the few frames the incoming run's place is
// off by while it is still faint.
constexpr double kLoudnessReach = 0.006;
// Marks at least this long, relative to kMarkLevel, come from one run alone
// (the stretcher takes a few parts in ten thousand off their level), or from
// a cross-fade between runs less than 5 ms apart, read as their mean.
constexpr double kWholeMark = 0.999;
// Segments kept: one a rate change, and the player only asks about the last
// second or so.
constexpr std::size_t kMaxSegments = 64;

double MarkAngle(double sourceFrame) {
    return 2 * std::numbers::pi * std::fmod(sourceFrame, kMarkPeriod) / kMarkPeriod;
}

// The source frame whose marks have `angle`, of the period nearest `near`.
double FrameNear(double angle, double near) {
    double within = angle / (2 * std::numbers::pi) * kMarkPeriod;
    if (within < 0) within += kMarkPeriod;
    return within + kMarkPeriod * std::round((near - within) / kMarkPeriod);
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
    : reader_(path),
      stretcher_(std::make_unique<soundtouch::SoundTouch>()),
      envelope_(kEnvelopeSteps) {
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
    segments_.clear();
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
    const auto source = static_cast<double>(reader_.tell());
    // Each of the stretcher's runs plays its stretch of the source at normal
    // speed, the first one included.
    addAnchor({done, source});
    run_ = anchors_.back();
    firstStep_ = start / kEnvelopeStep;
    lastStep_ = firstStep_;
    envelope_[firstStep_ % kEnvelopeSteps] = 0;
    while (!segments_.empty() && segments_.back().output >= done) segments_.pop_back();
    segments_.push_back({done, source, rate_});
    if (segments_.size() > kMaxSegments) segments_.pop_front();
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
        noteLoudness(first, input_.data(), n);
        markedInput_.resize(n * width);
        for (std::size_t f = 0; f < n; ++f) {
            std::copy_n(&input_[f * channels], channels, &markedInput_[f * width]);
            const double angle = MarkAngle(static_cast<double>(first + f));
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

// Within a run the marks are a vector of full length whose angle places the
// frame within its period; the whole periods come from where the mapping so
// far puts this output frame. Across a cross-fade they are shorter: the
// weighted sum of the vector of the run heard before, which carries on along
// that run, and the incoming one's. Knowing the first, the weight and the
// angle of the second follow. The run heard is the one that makes more of the
// sound there, its weight times the loudness of the source where it plays: a
// sound starting in either run is heard in that run. Where both are silent
// the outgoing run carries on to the end of the cross-fade. Only a jump costs
// an anchor.
void PlaybackStream::readMarks(double outputFrame, const float* marks) {
    const double mc = marks[0] / kMarkLevel;
    const double ms = marks[1] / kMarkLevel;
    const double length = std::hypot(mc, ms);
    if (length < kFaintestMark) return;
    const double expected = sourceFrameOfStretched(outputFrame);
    double heard = expected;
    if (length >= kWholeMark) {
        heard = FrameNear(std::atan2(ms, mc), expected);
        run_ = {outputFrame, heard};
    } else {
        const double outgoing = run_.source + (outputFrame - run_.output);
        const double angle = MarkAngle(outgoing);
        const double ac = std::cos(angle);
        const double as = std::sin(angle);
        const double along = 1 - (mc * ac + ms * as);
        const double apart = (mc - ac) * (mc - ac) + (ms - as) * (ms - as);
        const double incoming = std::min(1.0, apart / (2 * along));
        heard = outgoing;
        if (incoming > 0) {
            const double bc = (mc - (1 - incoming) * ac) / incoming;
            const double bs = (ms - (1 - incoming) * as) / incoming;
            const double arriving = FrameNear(std::atan2(bs, bc), expected);
            if (incoming * loudnessAt(arriving) > (1 - incoming) * loudnessAt(outgoing)) {
                heard = arriving;
            }
        }
    }
    if (std::abs(heard - expected) > kMarkSlack) addAnchor({outputFrame, heard});
    Segment& segment = segments_.back();
    segment.leadSum += heard - (segment.source + segment.rate * (outputFrame - segment.output));
    segment.leadCount += 1;
}

void PlaybackStream::noteLoudness(std::uint64_t first, const float* frames, std::size_t count) {
    const auto channels = static_cast<std::size_t>(format().channels);
    for (std::size_t f = 0; f < count; ++f) {
        const std::uint64_t step = (first + f) / kEnvelopeStep;
        if (step != lastStep_) {
            lastStep_ = step;
            envelope_[step % kEnvelopeSteps] = 0;
        }
        float& loudest = envelope_[step % kEnvelopeSteps];
        for (std::size_t c = 0; c < channels; ++c) {
            loudest = std::max(loudest, std::abs(frames[f * channels + c]));
        }
    }
}

double PlaybackStream::loudnessAt(double sourceFrame) const {
    if (sourceFrame < 0) return 0;
    const auto middle = static_cast<std::uint64_t>(sourceFrame) / kEnvelopeStep;
    const auto reach = static_cast<std::uint64_t>(
        std::ceil(kLoudnessReach * format().sampleRate / static_cast<double>(kEnvelopeStep)));
    float loudest = 0;
    for (std::uint64_t step = middle > reach ? middle - reach : 0; step <= middle + reach; ++step) {
        if (step < firstStep_ || step > lastStep_ || lastStep_ - step >= kEnvelopeSteps) continue;
        loudest = std::max(loudest, envelope_[step % kEnvelopeSteps]);
    }
    return loudest;
}

double PlaybackStream::stretchedFrameOf(double outputFrame) const {
    return resampler_ ? resampler_->inputFrameAt(outputFrame) : outputFrame;
}

double PlaybackStream::sourceFrameAt(double outputFrame) const {
    return sourceFrameOfStretched(stretchedFrameOf(outputFrame));
}

double PlaybackStream::evenSourceFrameAt(double outputFrame) const {
    return evenSourceFrameOfStretched(stretchedFrameOf(outputFrame));
}

double PlaybackStream::sourceFrameOfStretched(double outputFrame) const {
    auto next = std::upper_bound(anchors_.begin(), anchors_.end(), outputFrame,
                                 [](double k, const Anchor& a) { return k < a.output; });
    const Anchor& a = next == anchors_.begin() ? anchors_.front() : *std::prev(next);
    const double source = a.source + (outputFrame - a.output);
    return std::clamp(source, 0.0, static_cast<double>(frameCount()));
}

double PlaybackStream::evenSourceFrameOfStretched(double outputFrame) const {
    auto next = std::upper_bound(segments_.begin(), segments_.end(), outputFrame,
                                 [](double k, const Segment& s) { return k < s.output; });
    const Segment& s = next == segments_.begin() ? segments_.front() : *std::prev(next);
    const double lead = s.leadCount > 0 ? s.leadSum / s.leadCount : 0;
    const double source = s.source + (outputFrame - s.output) * s.rate + lead;
    return std::clamp(source, 0.0, static_cast<double>(frameCount()));
}

}  // namespace obrin
