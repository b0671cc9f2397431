// The whole road of the timing draft on two songs of the generated set
// (scripts/make-draft-set.sh, made at build time): lyrics read, morae
// counted, the WAV read and drafted. The bound is one the draft always meets;
// how good it is lives in bench/run-draft.sh.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "draft_set.h"
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
