#include "playback/draft_voice.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <numbers>

namespace obrin {

namespace {

// The song is looked at near 11 kHz: the voice's band fits below its
// Nyquist frequency, and the work is a quarter of 44.1 kHz's.
constexpr int kAnalysisRate = 11025;
constexpr double kLowEdgeHz = 250.0;
constexpr double kHighEdgeHz = 3500.0;
// About 46 ms at the analysis rate: a few periods of a low voice.
constexpr unsigned kWindow = 512;
// Half a second of frames either side would hold a whole sung vowel; a
// quarter second keeps a held chord in the majority.
constexpr std::size_t kTimeMedianHalf = 25;
constexpr std::size_t kFrequencyMedianHalf = 8;
// How far above what the medians explain a component must stand to count
// as voice (as a ratio of magnitudes).
constexpr float kVoiceMargin = 2.5f;
constexpr float kSilentDb = -120.0f;

struct FvecDeleter {
    void operator()(fvec_t* v) const { del_fvec(v); }
};
struct CvecDeleter {
    void operator()(cvec_t* v) const { del_cvec(v); }
};
struct FftDeleter {
    void operator()(aubio_fft_t* f) const { del_aubio_fft(f); }
};

// A low-pass biquad (Butterworth section) run in doubles, ahead of the
// decimation.
struct LowPass {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    LowPass(double cornerHz, double rate, double q) {
        const double w = 2.0 * std::numbers::pi * cornerHz / rate;
        const double alpha = std::sin(w) / (2.0 * q);
        const double cosw = std::cos(w);
        const double a0 = 1.0 + alpha;
        b0 = (1.0 - cosw) / 2.0 / a0;
        b1 = (1.0 - cosw) / a0;
        b2 = b0;
        a1 = -2.0 * cosw / a0;
        a2 = (1.0 - alpha) / a0;
    }
    double run(double x) {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

float Median(std::vector<float>& values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

}  // namespace

struct VoiceLevels::State {
    int factor = 1;
    double rate = 0;
    // The index of samples[0] among the analysed samples, counted from the
    // half window of silence before the song.
    std::uint64_t firstSample = 0;
    std::size_t lowBin = 0;
    std::size_t highBin = 0;
    // The fourth-order low-pass: two sections with the Butterworth Q's.
    LowPass first;
    LowPass second;
    int phase = 0;
    std::unique_ptr<aubio_fft_t, FftDeleter> fft;
    std::unique_ptr<fvec_t, FvecDeleter> frame;
    std::unique_ptr<fvec_t, FvecDeleter> complex;
    std::unique_ptr<cvec_t, CvecDeleter> spectrum;
    std::vector<float> window;
    // Decimated samples not yet past the frame that starts at `samples[0]`.
    std::deque<float> samples;
    // The band's magnitudes of the last frames, oldest first.
    std::deque<std::vector<float>> spectra;
    std::size_t framesSeen = 0;
    // The song's frame at spectra[0], and the next one to have its level.
    std::size_t firstFrame = 0;
    std::size_t nextCentre = 0;
    std::vector<float> levels;
    std::vector<float> scratch;
    // The median of each frequency over the frames around the last even one.
    std::vector<float> held;

    explicit State(int sampleRate)
        : factor(std::max(1, sampleRate / kAnalysisRate)),
          rate(static_cast<double>(sampleRate) / factor),
          first(0.42 * rate, sampleRate, 0.5412),
          second(0.42 * rate, sampleRate, 1.3066) {
        const double binHz = rate / kWindow;
        lowBin = static_cast<std::size_t>(std::ceil(kLowEdgeHz / binHz));
        highBin = std::min<std::size_t>(kWindow / 2,
                                        static_cast<std::size_t>(std::floor(kHighEdgeHz / binHz)));
        // At a rate too low for the band there is no band, and no voice.
        lowBin = std::min(lowBin, highBin);
        fft.reset(new_aubio_fft(kWindow));
        frame.reset(new_fvec(kWindow));
        complex.reset(new_fvec(kWindow));
        spectrum.reset(new_cvec(kWindow));
        window.resize(kWindow);
        for (unsigned i = 0; i < kWindow; ++i)
            window[i] =
                static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / kWindow));
        // Frame t is centred on the song's centisecond t.
        samples.assign(kWindow / 2, 0.0f);
    }

    void push(float sample) {
        samples.push_back(sample);
        if (samples.size() < kWindow) return;
        smpl_t* in = fvec_get_data(frame.get());
        for (unsigned i = 0; i < kWindow; ++i) in[i] = samples[i] * window[i];
        aubio_fft_do_complex(fft.get(), frame.get(), complex.get());
        aubio_fft_get_norm(complex.get(), spectrum.get());
        std::vector<float> band(spectrum->norm + lowBin, spectrum->norm + highBin);
        addSpectrum(std::move(band));
        // Frame t starts at the sample nearest to t centiseconds, so a rate
        // that is no multiple of 100 (11025 Hz) does not drift.
        const auto next = static_cast<std::uint64_t>(
            std::llround(static_cast<double>(framesSeen) * rate / 100.0));
        const std::uint64_t drop = std::min<std::uint64_t>(next - firstSample, samples.size());
        samples.erase(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(drop));
        firstSample += drop;
    }

    void addSpectrum(std::vector<float> band) {
        spectra.push_back(std::move(band));
        ++framesSeen;
        while (nextCentre + kTimeMedianHalf < framesSeen) levelOfNext();
    }

    // The level of the frame `nextCentre`, over the frames around it that the
    // song has: at its start and end the median looks to one side only, as
    // silence beyond the song would make every held chord stand out.
    void levelOfNext() {
        const std::size_t from = nextCentre > kTimeMedianHalf ? nextCentre - kTimeMedianHalf : 0;
        while (firstFrame < from) {
            spectra.pop_front();
            ++firstFrame;
        }
        const std::size_t to = std::min(framesSeen, nextCentre + kTimeMedianHalf + 1);
        levels.push_back(level(nextCentre - firstFrame, to - firstFrame));
        ++nextCentre;
    }

    // The voice's level in spectra[centre], the held part judged over
    // spectra[0, end). What a frequency holds changes slowly, so its median
    // is taken over every other frame, and anew only every other frame: a
    // quarter of the work, which is most of the draft's.
    float level(std::size_t centreAt, std::size_t end) {
        const std::vector<float>& centre = spectra[centreAt];
        const std::size_t bins = centre.size();
        if (nextCentre % 2 == 0 || held.size() != bins) {
            held.resize(bins);
            for (std::size_t b = 0; b < bins; ++b) {
                scratch.clear();
                for (std::size_t f = centreAt % 2; f < end; f += 2)
                    scratch.push_back(spectra[f][b]);
                held[b] = Median(scratch);
            }
        }
        double energy = 0.0;
        for (std::size_t b = 0; b < bins; ++b) {
            const float x = centre[b];
            const std::size_t from = b > kFrequencyMedianHalf ? b - kFrequencyMedianHalf : 0;
            const std::size_t to = std::min(bins, b + kFrequencyMedianHalf + 1);
            scratch.assign(centre.begin() + static_cast<std::ptrdiff_t>(from),
                           centre.begin() + static_cast<std::ptrdiff_t>(to));
            const float broad = Median(scratch);
            const float explained = kVoiceMargin * std::max(held[b], broad);
            if (x > explained) energy += static_cast<double>(x - explained) * (x - explained);
        }
        return energy > 0.0 ? static_cast<float>(10.0 * std::log10(energy)) : kSilentDb;
    }
};

VoiceLevels::VoiceLevels(int rate) : state_(std::make_unique<State>(std::max(rate, 1))) {}

VoiceLevels::~VoiceLevels() = default;

void VoiceLevels::add(const float* mono, std::size_t frames) {
    State& s = *state_;
    for (std::size_t i = 0; i < frames; ++i) {
        double x = std::isfinite(mono[i]) ? mono[i] : 0.0;
        if (s.factor > 1) x = s.second.run(s.first.run(x));
        if (++s.phase < s.factor) continue;
        s.phase = 0;
        s.push(static_cast<float>(x));
    }
}

std::vector<float> VoiceLevels::finish() {
    State& s = *state_;
    for (std::size_t i = 0; i < kWindow / 2; ++i) s.push(0.0f);
    while (s.nextCentre < s.framesSeen) s.levelOfNext();
    return std::move(s.levels);
}

namespace {

// Levels are smoothed over this many centiseconds before they are compared.
constexpr std::size_t kSmoothing = 5;
// The loudest voice is taken at this share of the frames, and frames this
// far below it count as silence.
constexpr double kLoudShare = 0.99;
constexpr float kDepthDb = 60.0f;
// The voice's frames must be this much louder than the rest, on average, to
// count as a voice at all.
constexpr float kLeastVoiceRangeDb = 12.0f;
// A phrase goes on until its level falls this share of that difference
// below the level it started at.
constexpr float kHysteresisShare = 0.15f;
// How far above the quiet a phrase's start reaches back, and for how long.
constexpr float kFootShare = 0.1f;
constexpr std::size_t kLongestFoot = 25;
constexpr std::size_t kShortestGap = 12;
constexpr std::size_t kShortestPhrase = 8;
constexpr int kLeastVoicedCs = 100;
// Silence before a phrase that makes its start sure, and the least sureness.
constexpr double kSureGapCs = 60.0;
constexpr double kLeastStrength = 0.1;

float Percentile(std::vector<float> values, double share) {
    const auto at = values.begin() +
                    static_cast<std::ptrdiff_t>(share * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

// The level that parts the voice's frames from the others best (Otsu's
// method on a histogram of whole decibels), and each side's mean.
struct Split {
    float threshold = 0.0f;
    float quietMean = 0.0f;
    float loudMean = 0.0f;
};

Split TwoClasses(const std::vector<float>& values, float low, float high) {
    const auto bins = static_cast<std::size_t>(std::max(1.0f, std::ceil(high - low))) + 1;
    std::vector<double> count(bins, 0.0);
    for (const float v : values)
        count[std::min(bins - 1, static_cast<std::size_t>(std::max(0.0f, v - low)))] += 1.0;
    double total = 0.0, weighted = 0.0;
    for (std::size_t b = 0; b < bins; ++b) {
        total += count[b];
        weighted += count[b] * static_cast<double>(b);
    }
    Split best{.threshold = high, .quietMean = low, .loudMean = low};
    double bestSpread = -1.0, below = 0.0, belowWeighted = 0.0;
    for (std::size_t b = 0; b + 1 < bins; ++b) {
        below += count[b];
        belowWeighted += count[b] * static_cast<double>(b);
        const double above = total - below;
        if (below == 0.0 || above == 0.0) continue;
        const double quiet = belowWeighted / below;
        const double loud = (weighted - belowWeighted) / above;
        const double spread = below * above * (loud - quiet) * (loud - quiet);
        if (spread > bestSpread) {
            bestSpread = spread;
            best = {.threshold = low + static_cast<float>(b + 1),
                    .quietMean = low + static_cast<float>(quiet),
                    .loudMean = low + static_cast<float>(loud)};
        }
    }
    return best;
}

}  // namespace

VoicePhrases FindPhrases(const std::vector<float>& levels) {
    VoicePhrases phrases;
    const std::size_t n = levels.size();
    phrases.voiced.assign(n, false);
    if (n == 0) return phrases;
    // A frame whose every component the accompaniment explains has no level
    // at all; far below the loudest voice, the depth of a silence says
    // nothing.
    const float loudest = Percentile(levels, kLoudShare);
    const float floor = loudest - kDepthDb;
    std::vector<float> smooth(n);
    double sum = 0.0;
    const auto clamped = [&](std::size_t i) { return std::max(levels[i], floor); };
    for (std::size_t i = 0; i < n + kSmoothing / 2; ++i) {
        if (i < n) sum += clamped(i);
        if (i >= kSmoothing && i - kSmoothing < n) sum -= clamped(i - kSmoothing);
        if (i >= kSmoothing / 2) {
            const std::size_t at = i - kSmoothing / 2;
            const std::size_t count =
                std::min(i + 1, n) - (i >= kSmoothing ? i - kSmoothing + 1 : 0);
            smooth[at] = static_cast<float>(sum / static_cast<double>(count));
        }
    }
    const Split split = TwoClasses(smooth, floor, loudest);
    if (split.loudMean - split.quietMean < kLeastVoiceRangeDb) return phrases;
    const float on = split.threshold;
    const float off = split.threshold - kHysteresisShare * (split.loudMean - split.quietMean);

    std::vector<bool>& voiced = phrases.voiced;
    bool sounding = false;
    for (std::size_t i = 0; i < n; ++i) {
        sounding = sounding ? smooth[i] > off : smooth[i] > on;
        voiced[i] = sounding;
    }
    // A phrase starts softer than it goes on (a consonant, a rising note): its
    // start goes back to where the level left the quiet.
    const float foot = split.quietMean + kFootShare * (split.loudMean - split.quietMean);
    for (std::size_t i = n; i-- > 1;) {
        if (!voiced[i] || voiced[i - 1]) continue;
        for (std::size_t back = 1; back <= kLongestFoot && back <= i; ++back) {
            const std::size_t at = i - back;
            if (voiced[at] || smooth[at] <= foot) break;
            voiced[at] = true;
        }
    }
    // Bridge breaths, then drop what is too short to be sung.
    std::size_t lastEnd = SIZE_MAX;
    for (std::size_t i = 0; i < n; ++i) {
        if (!voiced[i]) continue;
        if (lastEnd != SIZE_MAX && i > lastEnd && i - lastEnd < kShortestGap)
            std::fill(voiced.begin() + static_cast<std::ptrdiff_t>(lastEnd),
                      voiced.begin() + static_cast<std::ptrdiff_t>(i), true);
        while (i < n && voiced[i]) ++i;
        lastEnd = i;
    }
    for (std::size_t i = 0; i < n;) {
        if (!voiced[i]) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < n && voiced[end]) ++end;
        if (end - i < kShortestPhrase)
            std::fill(voiced.begin() + static_cast<std::ptrdiff_t>(i),
                      voiced.begin() + static_cast<std::ptrdiff_t>(end), false);
        i = end;
    }

    int voicedCs = 0;
    std::size_t silence = 0;
    bool anyBefore = false;
    for (std::size_t i = 0; i < n; ++i) {
        if (!voiced[i]) {
            ++silence;
            continue;
        }
        if (i == 0 || !voiced[i - 1]) {
            const double strength =
                anyBefore
                    ? std::clamp(static_cast<double>(silence) / kSureGapCs, kLeastStrength, 1.0)
                    : 1.0;
            phrases.track.candidates.push_back(
                {.cs = static_cast<int>(i), .strength = strength, .voicedCs = voicedCs});
        }
        anyBefore = true;
        silence = 0;
        ++voicedCs;
    }
    phrases.track.voicedTotalCs = voicedCs;
    if (voicedCs < kLeastVoicedCs) phrases = VoicePhrases{.voiced = std::vector<bool>(n, false)};
    return phrases;
}

int PhraseEnd(const std::vector<bool>& voiced, int startCs, int limitCs) {
    const int end = std::min(limitCs, static_cast<int>(voiced.size()));
    for (int i = end - 1; i > startCs; --i)
        if (voiced[static_cast<std::size_t>(i)]) return i + 1;
    return startCs;
}

}  // namespace obrin
