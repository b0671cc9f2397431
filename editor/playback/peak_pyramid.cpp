#include "playback/peak_pyramid.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "playback/wav_reader.h"

namespace obrin {

namespace {

constexpr int kBlocksPerMs = 200;
// Blocks read at once: about 1.5 s of sound at 44.1 kHz, so a stop request is
// seen quickly and the buffer stays small.
constexpr std::size_t kBlocksPerRead = 300;
constexpr float kFullScale = 32767.0f;

std::int16_t ToStored(float v) {
    return static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * kFullScale));
}

}  // namespace

std::optional<PeakPyramid> PeakPyramid::Build(WavReader& reader, std::stop_token stop) {
    PeakPyramid p;
    const WavFormat& format = reader.format();
    p.sampleRate_ = format.sampleRate;
    p.frameCount_ = reader.frameCount();
    p.blockFrames_ = static_cast<std::uint32_t>(std::max(1, format.sampleRate / kBlocksPerMs));

    const auto channels = static_cast<std::size_t>(format.channels);
    const float mix = 1.0f / static_cast<float>(channels);
    const std::size_t chunkFrames = kBlocksPerRead * p.blockFrames_;
    std::vector<float> samples(chunkFrames * channels);
    std::vector<Pair16> base;
    base.reserve(static_cast<std::size_t>((p.frameCount_ + p.blockFrames_ - 1) / p.blockFrames_));

    reader.seek(0);
    for (;;) {
        if (stop.stop_requested()) return std::nullopt;
        const std::size_t got = reader.read(samples.data(), chunkFrames);
        if (got == 0) break;
        const float* s = samples.data();
        for (std::size_t first = 0; first < got; first += p.blockFrames_) {
            const std::size_t end = std::min<std::size_t>(first + p.blockFrames_, got);
            float lo = std::numeric_limits<float>::max();
            float hi = std::numeric_limits<float>::lowest();
            for (std::size_t f = first; f < end; ++f) {
                float sum = 0.0f;
                for (std::size_t c = 0; c < channels; ++c) sum += *s++;
                const float v = sum * mix;
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
            base.push_back({ToStored(lo), ToStored(hi)});
        }
        if (got < chunkFrames) break;
    }

    p.levels_.push_back(std::move(base));
    while (p.levels_.back().size() > 1) {
        const std::vector<Pair16>& below = p.levels_.back();
        std::vector<Pair16> level((below.size() + 1) / 2);
        for (std::size_t i = 0; i < level.size(); ++i) {
            const Pair16& a = below[2 * i];
            const Pair16& b = 2 * i + 1 < below.size() ? below[2 * i + 1] : a;
            level[i] = {std::min(a.min, b.min), std::max(a.max, b.max)};
        }
        p.levels_.push_back(std::move(level));
    }
    return p;
}

std::size_t PeakPyramid::memoryBytes() const {
    std::size_t bytes = 0;
    for (const auto& level : levels_) bytes += level.capacity() * sizeof(Pair16);
    return bytes;
}

PeakPair PeakPyramid::range(std::uint64_t first, std::uint64_t last) const {
    // Blocks first..last of level 0, gathered as a segment tree gathers a
    // range: on each level the ends that are not whole pairs of the level
    // above are taken, the rest is left to that level. Block i of a level
    // holds blocks 2i and 2i + 1 of the level below.
    std::int16_t lo = std::numeric_limits<std::int16_t>::max();
    std::int16_t hi = std::numeric_limits<std::int16_t>::min();
    const auto take = [&](const Pair16& p) {
        lo = std::min(lo, p.min);
        hi = std::max(hi, p.max);
    };
    for (std::size_t level = 0; first <= last; ++level) {
        const std::vector<Pair16>& pairs = levels_[level];
        if (first & 1) take(pairs[first++]);
        if (first > last) break;
        if (!(last & 1)) {
            take(pairs[last]);
            if (last == first) break;
            --last;
        }
        first >>= 1;
        last >>= 1;
    }
    return {lo / kFullScale, hi / kFullScale};
}

std::vector<PeakPair> PeakPyramid::columns(double firstFrame, double framesPerColumn,
                                           int columns) const {
    std::vector<PeakPair> out;
    if (levels_.empty() || levels_.front().empty() || !(framesPerColumn > 0) || columns <= 0) {
        return out;
    }
    const std::uint64_t lastBlock = levels_.front().size() - 1;
    const double end = static_cast<double>(frameCount_);
    out.reserve(static_cast<std::size_t>(columns));
    for (int i = 0; i < columns; ++i) {
        const double from = std::max(firstFrame + i * framesPerColumn, 0.0);
        if (from >= end) break;
        const double to = std::min(firstFrame + (i + 1) * framesPerColumn, end);
        const std::uint64_t first = static_cast<std::uint64_t>(from) / blockFrames_;
        const std::uint64_t last =
            std::max(first, (static_cast<std::uint64_t>(std::ceil(to)) - 1) / blockFrames_);
        out.push_back(range(std::min(first, lastBlock), std::min(last, lastBlock)));
    }
    return out;
}

}  // namespace obrin
