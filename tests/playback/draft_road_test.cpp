// The whole road of the timing draft on two songs of the generated set
// (scripts/make-draft-set.sh, made at build time): lyrics read, morae
// counted, the WAV read and drafted. The bound is one the draft always meets;
// how good it is lives in bench/run-draft.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "draft_set.h"
#include "playback/wav_reader.h"
#include "text/ruby_suggestions.h"

namespace obrin {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct RoadCase {
    const char* song;
    const char* shape;
};

void PrintTo(const RoadCase& c, std::ostream* out) {
    *out << c.song;
}

class DraftRoad : public ::testing::TestWithParam<RoadCase> {};

TEST_P(DraftRoad, MostLineStartsLandWithinASecond) {
    const std::unique_ptr<RubySuggester> readings = RubySuggester::open();
    const test::SongErrors errors =
        test::DraftSetSong(OBRIN_DRAFT_SET, GetParam().song, DraftMethod::Aligned, readings.get());
    ASSERT_GE(errors.errors.size(), 8u);
    EXPECT_GE(test::ShareWithin(errors.errors, 1.0), 0.6)
        << GetParam().shape << "; median error " << test::Quantile(errors.errors, 0.5) << " s";
}

// The truth the draft is held to is where the generator put each line's
// voice: nothing just before a start or just after an end, sound just after
// the start and just before the end; and one lyric row per truth row.
TEST_P(DraftRoad, TruthIsWhereTheVoiceIs) {
    const std::filesystem::path folder = OBRIN_DRAFT_SET;
    const std::string name = GetParam().song;
    const std::vector<test::TrueLine> truth = test::ReadTruth(folder / (name + ".truth"));
    EXPECT_EQ(test::DraftLinesOfLyrics(folder / (name + ".txt"), nullptr).size(), truth.size());

    WavReader reader(folder / (name + ".voice.wav"));
    ASSERT_EQ(reader.format().channels, 1);
    const int rate = reader.format().sampleRate;
    std::vector<float> voice(reader.frameCount());
    ASSERT_EQ(reader.read(voice.data(), voice.size()), voice.size());
    const auto peak = [&](double from, double to) {
        const auto first = static_cast<std::size_t>(std::max(0.0, from * rate));
        const auto last = std::min(voice.size(), static_cast<std::size_t>(to * rate));
        float highest = 0.0f;
        for (std::size_t i = first; i < last; ++i) highest = std::max(highest, std::abs(voice[i]));
        return highest;
    };
    // The generator's trim keeps from where the voice passes 0.5 % of full
    // scale; converting the rate afterwards may leave the edge a little
    // under it. Outside a line there is nothing at all.
    constexpr float kHeard = 0.003f;
    for (std::size_t i = 0; i < truth.size(); ++i) {
        const auto [start, end] = truth[i];
        SCOPED_TRACE("line " + std::to_string(i + 1));
        EXPECT_EQ(peak(start - 0.05, start - 0.001), 0.0f);
        EXPECT_GE(peak(start, start + 0.005), kHeard);
        EXPECT_GE(peak(end - 0.005, end), kHeard);
        EXPECT_EQ(peak(end + 0.001, end + 0.05), 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(
    GeneratedSongs, DraftRoad,
    ::testing::Values(RoadCase{"s01", "spoken, quiet accompaniment, a short intro"},
                      RoadCase{"s10",
                               "sung, a long intro and an interlude with a lead "
                               "instrument in the voice's range"}),
    [](const auto& info) { return std::string(info.param.song); });

// The measurement itself: an untimed line is the worst error there is, and a
// quantile is a value of the set (the nearest rank), so the benchmark's
// median is an error some line really has.
TEST(DraftMeasure, ErrorsAndQuantiles) {
    DraftResult draft;
    draft.startCs = {100, std::nullopt, 425, 700};
    const test::SongErrors errors = test::CompareStarts(draft, {1.5, 3.0, 4.0, 7.0});
    EXPECT_EQ(errors.errors, (std::vector<double>{0.5, kInf, 0.25, 0.0}));
    EXPECT_EQ(errors.unplaced, 1);
    EXPECT_THROW((void)test::CompareStarts(draft, {1.0}), std::runtime_error);

    struct QuantileCase {
        std::vector<double> values;
        double q;
        double expected;
    };
    for (const QuantileCase& c : std::vector<QuantileCase>{
             {{0.3, 0.1, 0.2}, 0.5, 0.2},
             {{0.4, 0.1, 0.3, 0.2}, 0.5, 0.2},
             {{0.1, kInf, kInf}, 0.5, kInf},
             {{0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0}, 0.9, 0.9},
             {{0.5}, 0.0, 0.5},
         }) {
        EXPECT_EQ(test::Quantile(c.values, c.q), c.expected) << "q " << c.q;
    }
    EXPECT_DOUBLE_EQ(test::ShareWithin({0.3, 0.5, 0.51, kInf}, 0.5), 0.5);
}

}  // namespace
}  // namespace obrin
