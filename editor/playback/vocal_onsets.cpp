#include "playback/vocal_onsets.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>

#include "playback/wav_reader.h"

namespace obrin {

namespace {

constexpr double kLowEdgeHz = 250.0;
constexpr double kHighEdgeHz = 3500.0;
constexpr unsigned kWindow = 1024;
constexpr unsigned kHop = 256;
constexpr const char* kMethod = "specflux";
// Chosen on the demo song and on tone bursts over a hum: lower thresholds
// find onsets in the hum between lines.
constexpr float kThreshold = 0.5f;
constexpr float kMinimumGapMs = 50.0f;
constexpr float kSilenceDb = -50.0f;

struct FvecDeleter {
    void operator()(fvec_t* v) const { del_fvec(v); }
};
struct FilterDeleter {
    void operator()(aubio_filter_t* f) const { del_aubio_filter(f); }
};
struct OnsetDeleter {
    void operator()(aubio_onset_t* o) const { del_aubio_onset(o); }
};
using Fvec = std::unique_ptr<fvec_t, FvecDeleter>;
using Filter = std::unique_ptr<aubio_filter_t, FilterDeleter>;
using Onset = std::unique_ptr<aubio_onset_t, OnsetDeleter>;

// A second-order Butterworth section (Q = 1/sqrt 2) from the audio EQ
// cookbook; only its coefficients are ours, aubio runs it.
Filter Biquad(bool highPass, double cornerHz, int sampleRate) {
    const double w = 2.0 * std::numbers::pi * cornerHz / sampleRate;
    constexpr double kQ = 1.0 / std::numbers::sqrt2;
    const double alpha = std::sin(w) / (2.0 * kQ);
    const double cosw = std::cos(w);
    const double a0 = 1.0 + alpha;
    const double b1 = highPass ? -(1.0 + cosw) : 1.0 - cosw;
    const double b0 = highPass ? (1.0 + cosw) / 2.0 : (1.0 - cosw) / 2.0;
    return Filter(
        new_aubio_filter_biquad(b0 / a0, b1 / a0, b0 / a0, -2.0 * cosw / a0, (1.0 - alpha) / a0));
}

}  // namespace

std::optional<std::vector<std::int32_t>> DetectVocalOnsets(WavReader& reader,
                                                           std::stop_token stop) {
    const WavFormat& format = reader.format();
    const int rate = format.sampleRate;
    // Above the Nyquist frequency the low-pass would be meaningless; such
    // low rates hold only the voice's band anyway.
    const bool lowPass = kHighEdgeHz < rate / 2.0 * 0.9;
    Onset onset(new_aubio_onset(kMethod, kWindow, kHop, static_cast<uint_t>(rate)));
    Filter highPass = Biquad(true, kLowEdgeHz, rate);
    Filter lowPassFilter = lowPass ? Biquad(false, kHighEdgeHz, rate) : nullptr;
    Fvec hop(new_fvec(kHop));
    Fvec found(new_fvec(1));
    if (!onset || !highPass || (lowPass && !lowPassFilter) || !hop || !found) {
        throw OnsetError("the onset detector cannot work at " + std::to_string(rate) + " Hz");
    }
    aubio_onset_set_threshold(onset.get(), kThreshold);
    aubio_onset_set_minioi_ms(onset.get(), kMinimumGapMs);
    aubio_onset_set_silence(onset.get(), kSilenceDb);

    const auto channels = static_cast<std::size_t>(format.channels);
    const float mix = 1.0f / static_cast<float>(channels);
    // About 1.5 s at 44.1 kHz between looks at `stop`.
    constexpr std::size_t kHopsPerRead = 256;
    std::vector<float> samples(kHopsPerRead * kHop * channels);
    std::vector<std::int32_t> onsets;
    smpl_t* in = fvec_get_data(hop.get());

    reader.seek(0);
    bool end = false;
    while (!end) {
        if (stop.stop_requested()) return std::nullopt;
        const std::size_t got = reader.read(samples.data(), kHopsPerRead * kHop);
        end = got < kHopsPerRead * kHop;
        const float* s = samples.data();
        // The last part hop is filled with silence rather than dropped.
        for (std::size_t first = 0; first < got; first += kHop) {
            for (std::size_t f = 0; f < kHop; ++f) {
                float sum = 0.0f;
                if (first + f < got) {
                    for (std::size_t c = 0; c < channels; ++c) sum += *s++;
                }
                in[f] = sum * mix;
            }
            aubio_filter_do(highPass.get(), hop.get());
            if (lowPassFilter) aubio_filter_do(lowPassFilter.get(), hop.get());
            aubio_onset_do(onset.get(), hop.get(), found.get());
            if (fvec_get_sample(found.get(), 0) > 0) {
                const auto ms =
                    static_cast<std::int32_t>(std::lround(aubio_onset_get_last_ms(onset.get())));
                if (onsets.empty() || ms > onsets.back()) onsets.push_back(std::max(ms, 0));
            }
        }
    }
    return onsets;
}

}  // namespace obrin
