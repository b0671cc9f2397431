#include "playback/playback_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "playback/resampler.h"
#include "temp_folder.h"
#include "wav_builder.h"

namespace obrin {
namespace {

constexpr int kRate = 44100;
constexpr double kBurstEvery = 0.5;
constexpr double kSeconds = 6.0;

// Silent but for a 30 ms tone burst every half second starting at 0.25 s,
// loud from its first frame: the bursts mark known moments of the source in
// the output.
std::string BurstWave(int rate = kRate, int channels = 1) {
    std::string data;
    const int frames = static_cast<int>(kSeconds * rate);
    for (int f = 0; f < frames; ++f) {
        const double t = static_cast<double>(f) / rate;
        const double inBurst = std::fmod(t - 0.25 + kBurstEvery, kBurstEvery);
        const double v = t >= 0.25 && inBurst < 0.030
                             ? 0.8 * std::cos(2 * std::numbers::pi * 1000 * inBurst)
                             : 0.0;
        for (int c = 0; c < channels; ++c) test::PutSample(data, v, false, 16);
    }
    return test::RiffWave(
        {{"fmt ", test::FmtBody(test::Tag::Pcm, channels, rate, 16)}, {"data", data}});
}

// The source times (seconds) the stream says the bursts in `out` play: a
// burst starts at a loud frame with no loud frame in the 100 ms before it.
// Where the stretcher repeats a moment (below normal speed) the player
// reports the latest moment heard so far, as the position never runs back;
// so does this.
std::vector<double> BurstTimes(const std::vector<float>& out, const PlaybackStream& stream) {
    const auto channels = static_cast<std::size_t>(stream.output().channels);
    const auto quietBefore = static_cast<std::size_t>(stream.output().sampleRate / 10);
    std::vector<double> heard;
    std::size_t sinceLoud = quietBefore + 1;
    double latest = 0;
    for (std::size_t k = 0; k < out.size() / channels; ++k) {
        latest = std::max(latest, stream.sourceFrameAt(static_cast<double>(k)));
        if (std::abs(out[k * channels]) < 0.3f) {
            ++sinceLoud;
            continue;
        }
        if (sinceLoud > quietBefore) heard.push_back(latest / stream.format().sampleRate);
        sinceLoud = 0;
    }
    return heard;
}

class BurstFile : public testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/obrin-stream-XXXXXX";
        folder_ = ::mkdtemp(name);
        test::WriteFile(folder_ / "burst.wav", BurstWave());
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::filesystem::path file() const { return folder_ / "burst.wav"; }

    // Renders everything in blocks, switching to `laterRate` after `switchAt`
    // output frames, and returns the source times (seconds) the stream says
    // the output bursts play.
    static std::vector<double> BurstsHeard(PlaybackStream& stream, std::size_t switchAt = 0,
                                           double laterRate = 0) {
        std::vector<float> out;
        const auto channels = static_cast<std::size_t>(stream.output().channels);
        std::vector<float> block(1000 * channels);
        std::size_t n;
        while ((n = stream.render(block.data(), 1000)) > 0) {
            out.insert(out.end(), block.begin(), block.begin() + static_cast<long>(n * channels));
            if (switchAt != 0 && out.size() / channels >= switchAt && stream.rate() != laterRate) {
                stream.setRate(laterRate);
            }
        }
        return BurstTimes(out, stream);
    }

    std::filesystem::path folder_;
};

// The distances between the bursts heard and the bursts of the source they
// stand for, in seconds; at least `share` of the source bursts after `from`
// must be heard (well above normal speed the stretcher may skip a burst).
std::vector<double> Errors(const std::vector<double>& heard, double from, double share = 1.0) {
    const auto bursts = static_cast<std::size_t>((kSeconds - from - 0.25) / kBurstEvery) + 1;
    EXPECT_GE(static_cast<double>(heard.size()), share * static_cast<double>(bursts));
    std::vector<double> errors;
    for (double t : heard) {
        const double nearest = 0.25 + std::round((t - 0.25) / kBurstEvery) * kBurstEvery;
        errors.push_back(std::abs(t - nearest));
    }
    return errors;
}

double LargestError(const std::vector<double>& heard, double from, double share = 1.0) {
    const std::vector<double> errors = Errors(heard, from, share);
    return errors.empty() ? 0 : *std::max_element(errors.begin(), errors.end());
}

TEST_F(BurstFile, AtNormalRateOutputIsTheSourceFrameForFrame) {
    PlaybackStream stream(file());
    stream.restart(1000);
    EXPECT_EQ(stream.sourceFrameAt(0), 1000.0);
    EXPECT_EQ(stream.sourceFrameAt(500.5), 1500.5);
    const std::vector<double> heard = BurstsHeard(stream);
    EXPECT_EQ(stream.renderedFrames(), stream.frameCount() - 1000);
    EXPECT_LT(LargestError(heard, 0), 1.0 / kRate);
}

struct StretchCase {
    double rate;
    // Above normal speed the stretcher cross-fades into runs of the source
    // up to a sequence ahead, and a burst heard in a cross-fade may belong to
    // either run; most bursts are still within kExactMs.
    double toleranceMs;
    double shareHeard;
    double shareExact;
};

constexpr double kExactMs = 4;

class StretchedBurstTest : public BurstFile, public testing::WithParamInterface<StretchCase> {};

TEST_P(StretchedBurstTest, OutputFramesMapBackToTheSourceTheyPlay) {
    const double rate = GetParam().rate;
    PlaybackStream stream(file());
    stream.setRate(rate);
    stream.restart(kRate / 5);
    const std::vector<double> heard = BurstsHeard(stream);
    const std::vector<double> errors = Errors(heard, 0.2, GetParam().shareHeard);
    const auto exact = std::count_if(errors.begin(), errors.end(),
                                     [](double e) { return e <= kExactMs / 1000; });
    EXPECT_GE(static_cast<double>(exact), GetParam().shareExact * static_cast<double>(errors.size()));
    EXPECT_LT(LargestError(heard, 0.2, GetParam().shareHeard), GetParam().toleranceMs / 1000);
    // The whole rest of the file comes out, stretched.
    const double expected = static_cast<double>(stream.frameCount() - kRate / 5) / rate;
    EXPECT_NEAR(static_cast<double>(stream.renderedFrames()), expected, 0.05 * kRate);
    EXPECT_EQ(stream.sourceFrameAt(1e12), static_cast<double>(stream.frameCount()));
}

// The even position runs through the middle of the runs the stretcher jumps
// between: on average where the heard one is, never further off than a run.
TEST_P(StretchedBurstTest, TheEvenPositionRunsThroughTheHeardOne) {
    const double rate = GetParam().rate;
    PlaybackStream stream(file());
    stream.setRate(rate);
    (void)BurstsHeard(stream);
    double sum = 0;
    double furthest = 0;
    int samples = 0;
    const auto end = static_cast<double>(stream.renderedFrames()) - kRate / 2.0;
    for (double k = kRate / 2.0; k < end; k += 100) {
        const double apart = (stream.sourceFrameAt(k) - stream.evenSourceFrameAt(k)) / kRate;
        sum += apart;
        furthest = std::max(furthest, std::abs(apart));
        ++samples;
    }
    EXPECT_LT(std::abs(sum / samples), 0.001 * std::max(1.0, rate));
    EXPECT_LT(furthest, 0.040 * std::max(1.0, rate));
}

TEST_P(StretchedBurstTest, ARateChangeMidwayKeepsTheMapping) {
    PlaybackStream stream(file());
    const std::vector<double> heard = BurstsHeard(stream, kRate * 2, GetParam().rate);
    EXPECT_LT(LargestError(heard, 0, GetParam().shareHeard), GetParam().toleranceMs / 1000);
}

// Over a steady sound each cross-fade hands the moment heard from one run to
// the next once. A low voice is faint for milliseconds within each of its
// periods, which must not read as the sound moving between the runs.
TEST(PlaybackStream, ACrossFadeOverASteadySoundSwitchesRunsOnce) {
    test::TempFolder folder;
    std::string data;
    for (int f = 0; f < 3 * kRate; ++f) {
        const double t = static_cast<double>(f) / kRate;
        test::PutSample(data,
                        0.3 * (std::sin(2 * std::numbers::pi * 110 * t) +
                               std::sin(2 * std::numbers::pi * 220 * t) +
                               std::sin(2 * std::numbers::pi * 330 * t)),
                        false, 16);
    }
    test::WriteFile(folder / "tones.wav",
                    test::RiffWave({{"fmt ", test::FmtBody(test::Tag::Pcm, 1, kRate, 16)},
                                    {"data", data}}));
    // A jump off the run, and how soon one the other way would undo it.
    constexpr double kJump = kRate * 0.001;
    constexpr double kUndone = kRate * 0.010;
    for (const double rate : {0.5, 2.0}) {
        PlaybackStream stream(folder / "tones.wav");
        stream.setRate(rate);
        std::vector<float> block(1000);
        while (stream.render(block.data(), 1000) > 0) {
        }
        double lastJump = 0;
        double lastAt = -kUndone;
        int jumps = 0;
        int undone = 0;
        const auto end = static_cast<double>(stream.renderedFrames()) - kRate / 10.0;
        for (double k = kRate / 10.0; k < end; k += 8) {
            const double jump = stream.sourceFrameAt(k) - stream.sourceFrameAt(k - 8) - 8;
            if (std::abs(jump) < kJump) continue;
            ++jumps;
            if (k - lastAt < kUndone && jump * lastJump < 0) ++undone;
            lastJump = jump;
            lastAt = k;
        }
        EXPECT_GT(jumps, 30) << "at " << rate;
        EXPECT_EQ(undone, 0) << "at " << rate << ", of " << jumps << " jumps";
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, StretchedBurstTest,
                         testing::Values(StretchCase{0.2, kExactMs, 1, 1},
                                         StretchCase{0.35, kExactMs, 1, 1},
                                         StretchCase{0.5, kExactMs, 1, 1},
                                         StretchCase{0.65, kExactMs, 1, 1},
                                         StretchCase{0.8, kExactMs, 1, 1},
                                         StretchCase{0.95, kExactMs, 1, 1},
                                         StretchCase{1.2, kExactMs, 1, 1},
                                         StretchCase{2.0, 30, 0.5, 0.5},
                                         StretchCase{3.0, 40, 0.5, 0.3}));

// Outputs that do not take the file's rate or channels.
struct ConversionCase {
    const char* name;
    int sourceRate;
    int sourceChannels;
    OutputFormat output;
    double rate;
    double toleranceMs;
};

class ConvertedBurstTest : public testing::TestWithParam<ConversionCase> {};

TEST_P(ConvertedBurstTest, PositionsStayInTheFilesTime) {
    const ConversionCase c = GetParam();
    const test::TempFolder folder;
    folder.write("burst.wav", BurstWave(c.sourceRate, c.sourceChannels));
    PlaybackStream stream(folder / "burst.wav");
    stream.setOutput(c.output);
    stream.setRate(c.rate);
    stream.restart(static_cast<std::uint64_t>(c.sourceRate / 5));
    std::vector<float> out;
    std::vector<float> block(1000 * static_cast<std::size_t>(c.output.channels));
    while (const std::size_t n = stream.render(block.data(), 1000)) {
        out.insert(out.end(), block.begin(),
                   block.begin() + static_cast<long>(n) * c.output.channels);
    }
    EXPECT_LT(LargestError(BurstTimes(out, stream), 0.2), c.toleranceMs / 1000);
    // Every channel of the output carries the sound.
    const auto channels = static_cast<std::size_t>(c.output.channels);
    for (std::size_t ch = 0; ch < channels; ++ch) {
        float loudest = 0;
        for (std::size_t k = ch; k < out.size(); k += channels) loudest = std::max(loudest, out[k]);
        EXPECT_GT(loudest, 0.7f) << "channel " << ch;
    }
    const double expected = static_cast<double>(stream.frameCount() - c.sourceRate / 5) / c.rate *
                            c.output.sampleRate / c.sourceRate;
    EXPECT_NEAR(static_cast<double>(stream.renderedFrames()), expected, 0.05 * c.output.sampleRate);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, ConvertedBurstTest,
    testing::Values(ConversionCase{"HighRateMonoToStereo", 96000, 1, {48000, 2}, 1.0, 1},
                    ConversionCase{"TelephoneRateUp", 8000, 1, {48000, 1}, 1.0, 1},
                    ConversionCase{"StereoToMono", 44100, 2, {44100, 1}, 1.0, 0.1},
                    ConversionCase{"CdRateUpAtHalfSpeed", 44100, 1, {48000, 2}, 0.5, 6}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BurstFile, GainScalesTheSamplesAfterARamp) {
    PlaybackStream stream(file());
    stream.restart(static_cast<std::uint64_t>(0.25 * kRate));
    std::vector<float> plain(200);
    ASSERT_EQ(stream.render(plain.data(), plain.size()), plain.size());

    stream.restart(static_cast<std::uint64_t>(0.25 * kRate));
    stream.setGain(0.5f);
    std::vector<float> ramped(100), halved(100);
    ASSERT_EQ(stream.render(ramped.data(), ramped.size()), ramped.size());
    ASSERT_EQ(stream.render(halved.data(), halved.size()), halved.size());
    // The change is spread over the first block, so it does not click ...
    EXPECT_GT(std::abs(ramped[5]), std::abs(plain[5]) * 0.9f);
    EXPECT_NEAR(ramped[99], plain[99] * 0.5f, 1e-6);
    // ... and holds from then on.
    for (std::size_t i = 0; i < halved.size(); ++i)
        EXPECT_NEAR(halved[i], plain[100 + i] * 0.5f, 1e-6);
}

TEST_F(BurstFile, RestartPastTheEndRendersNothing) {
    PlaybackStream stream(file());
    stream.restart(stream.frameCount() + 100);
    float out[10];
    EXPECT_EQ(stream.render(out, 10), 0u);
    EXPECT_EQ(stream.sourceFrameAt(0), static_cast<double>(stream.frameCount()));
}

}  // namespace
}  // namespace obrin

namespace obrin {
namespace {

struct ResampleCase {
    const char* name;
    int from;
    int to;
    double hz;
    // The amplitude that comes out of a full-scale sine, within `tolerance`.
    double amplitude;
    double tolerance;
};

class ResamplerTest : public testing::TestWithParam<ResampleCase> {};

// A sine below both rates' Nyquist frequency comes out as the same sine at
// the new rate; one only the higher rate can hold is filtered out, not folded
// into the audible range.
TEST_P(ResamplerTest, KeepsWhatFitsAndFiltersTheRest) {
    const ResampleCase c = GetParam();
    Resampler resampler(c.from, c.to, 1);
    std::size_t next = 0;
    const auto sine = [&](float* out, std::size_t frames) {
        for (std::size_t i = 0; i < frames; ++i, ++next) {
            out[i] = static_cast<float>(
                std::sin(2 * std::numbers::pi * c.hz * static_cast<double>(next) / c.from));
        }
        return frames;
    };
    std::vector<float> out(static_cast<std::size_t>(c.to));  // one second
    ASSERT_EQ(resampler.render(out.data(), out.size(), sine), out.size());
    double worst = 0;
    // Past the start, where the input is taken as silent before frame 0.
    for (std::size_t j = static_cast<std::size_t>(c.to) / 100; j < out.size(); ++j) {
        const double t = resampler.inputFrameAt(static_cast<double>(j)) / c.from;
        const double ideal = c.amplitude * std::sin(2 * std::numbers::pi * c.hz * t);
        worst = std::max(worst, std::abs(out[j] - ideal));
    }
    EXPECT_LT(worst, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Rates, ResamplerTest,
                         testing::Values(ResampleCase{"CdTo48k", 44100, 48000, 1000, 1, 2e-3},
                                         ResampleCase{"TelephoneTo48k", 8000, 48000, 440, 1, 2e-3},
                                         ResampleCase{"Down96kTo48k", 96000, 48000, 5000, 1, 2e-3},
                                         ResampleCase{"Down96kAboveNyquist", 96000, 48000, 30000, 0,
                                                      2e-3}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
