#include "playback/resampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace obrin {

namespace {
// Zero crossings of the sinc on each side of the centre, at the lower rate:
// enough for a steep cut-off, few enough to stay cheap.
constexpr int kZeroCrossings = 16;
// The cut-off as a share of the lower rate's Nyquist frequency.
constexpr double kCutoff = 0.92;
// Kernel samples per input frame of distance; linear interpolation between
// them errs far below 16-bit resolution.
constexpr int kTableResolution = 512;
// Input frames pulled from the source at a time.
constexpr long long kPullFrames = 1024;

double Blackman(double x) {  // x in [-1, 1]
    return 0.42 + 0.5 * std::cos(std::numbers::pi * x) + 0.08 * std::cos(2 * std::numbers::pi * x);
}
}  // namespace

Resampler::Resampler(int inputRate, int outputRate, int channels)
    : step_(static_cast<double>(inputRate) / outputRate), channels_(channels) {
    // Cut-off in cycles per input frame.
    const double cutoff = kCutoff * 0.5 * std::min(1.0, 1.0 / step_);
    halfWidth_ = static_cast<int>(std::ceil(kZeroCrossings / (2 * cutoff)));
    table_.resize(static_cast<std::size_t>(halfWidth_ * kTableResolution + 2));
    for (std::size_t i = 0; i < table_.size(); ++i) {
        const double d = static_cast<double>(i) / kTableResolution;
        const double x = 2 * cutoff * d;
        const double sinc = x == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
        table_[i] = d >= halfWidth_
                        ? 0.0f
                        : static_cast<float>(2 * cutoff * sinc * Blackman(d / halfWidth_));
    }
    tableScale_ = kTableResolution;
    reset();
}

void Resampler::reset() {
    input_.clear();
    first_ = 0;
    available_ = 0;
    inputEnd_ = -1;
    produced_ = 0;
}

float Resampler::kernel(double distance) const {
    const double at = std::abs(distance) * tableScale_;
    const auto i = static_cast<std::size_t>(at);
    if (i + 1 >= table_.size()) return 0.0f;
    const auto frac = static_cast<float>(at - static_cast<double>(i));
    return table_[i] + (table_[i + 1] - table_[i]) * frac;
}

void Resampler::fill(long long last, const Source& source) {
    const auto channels = static_cast<std::size_t>(channels_);
    while (inputEnd_ < 0 && first_ + available_ <= last) {
        const std::size_t had = input_.size();
        input_.resize(had + static_cast<std::size_t>(kPullFrames) * channels);
        const std::size_t got = source(input_.data() + had, static_cast<std::size_t>(kPullFrames));
        input_.resize(had + got * channels);
        available_ += static_cast<long long>(got);
        if (got < static_cast<std::size_t>(kPullFrames)) inputEnd_ = first_ + available_;
    }
}

std::size_t Resampler::render(float* out, std::size_t frames, const Source& source) {
    const auto channels = static_cast<std::size_t>(channels_);
    std::size_t made = 0;
    for (; made < frames; ++made) {
        const double centre = static_cast<double>(produced_) * step_;
        if (inputEnd_ >= 0 && centre >= static_cast<double>(inputEnd_)) break;
        const auto low = static_cast<long long>(std::floor(centre)) - halfWidth_ + 1;
        const long long high = low + 2 * halfWidth_ - 1;
        fill(high, source);
        if (inputEnd_ >= 0 && centre >= static_cast<double>(inputEnd_)) break;
        // Frames that no later output reaches are dropped from the front.
        if (const long long unused = std::min(low, first_ + available_) - first_; unused > 4096) {
            input_.erase(input_.begin(),
                         input_.begin() + static_cast<std::ptrdiff_t>(unused) * channels_);
            first_ += unused;
            available_ -= unused;
        }
        float* frame = out + made * channels;
        std::fill(frame, frame + channels, 0.0f);
        const long long from = std::max(low, first_);
        const long long to = std::min(high, first_ + available_ - 1);
        for (long long k = from; k <= to; ++k) {
            const float w = kernel(centre - static_cast<double>(k));
            const float* in = input_.data() + static_cast<std::size_t>(k - first_) * channels;
            for (std::size_t c = 0; c < channels; ++c) frame[c] += w * in[c];
        }
        ++produced_;
    }
    return made;
}

}  // namespace obrin
