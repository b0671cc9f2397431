#include "playback/timing_draft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/document.h"
#include "playback/draft_alignment.h"
#include "playback/draft_voice.h"

namespace obrin {
namespace {

using Starts = std::vector<std::optional<int>>;

struct AlignCase {
    std::string name;
    std::vector<DraftLine> lines;
    PhraseTrack track;
    Starts expected;
};

DraftLine Line(int morae, std::optional<int> anchor = std::nullopt) {
    return {.morae = morae, .anchorCs = anchor};
}

PhraseCandidate At(int cs, int voiced, double strength = 1.0) {
    return {.cs = cs, .strength = strength, .voicedCs = voiced};
}

// Made by a call, not braces: GCC 12 at -O3 takes braced tracks in a static
// array for uninitialized vectors.
PhraseTrack Track(std::vector<PhraseCandidate> candidates, int voicedTotalCs) {
    PhraseTrack track;
    track.candidates = std::move(candidates);
    track.voicedTotalCs = voicedTotalCs;
    return track;
}

// Each case's pace is 10 cs of voice per mora unless it says otherwise.
const AlignCase kAlignCases[] = {
    {"equal lines on equal phrases",
     {Line(4), Line(4), Line(4)},
     Track({At(0, 0), At(100, 40), At(200, 80)}, 120),
     {0, 100, 200}},
    {"weak starts inside lines are passed over",
     {Line(4), Line(4)},
     Track({At(0, 0), At(20, 20, 0.1), At(100, 40), At(120, 60, 0.1)}, 80),
     {0, 100}},
    {"a long line spans a breath, a short one does not",
     {Line(8), Line(2), Line(8)},
     Track({At(0, 0), At(50, 40, 0.3), At(100, 80), At(130, 100)}, 180),
     {0, 100, 130}},
    {"an intro's start before the voice is left out",
     {Line(4), Line(4)},
     Track({At(0, 0, 0.3), At(300, 5), At(400, 45)}, 85),
     {300, 400}},
    {"fewer phrases than lines leave the last line out",
     {Line(4), Line(4), Line(4)},
     Track({At(0, 0), At(100, 40)}, 120),
     {0, 100, std::nullopt}},
    {"an anchor keeps its time and the lines keep their sides",
     {Line(4), Line(4, 150), Line(4)},
     Track({At(0, 0), At(100, 40), At(200, 80)}, 120),
     {0, 150, 200}},
    {"a first line anchored leaves the starts before it unused",
     {Line(4, 100), Line(4), Line(4)},
     Track({At(0, 0), At(100, 40), At(200, 80), At(300, 120)}, 160),
     {100, 200, 300}},
    {"one line takes the first sure start", {Line(6)}, Track({At(50, 0)}, 60), {50}},
    {"no phrases place nothing but anchors",
     {Line(4), Line(4, 500)},
     Track({}, 0),
     {std::nullopt, 500}},
    {"a slower song than the voiced time suggests still fits",
     {Line(2), Line(6), Line(2)},
     Track({At(0, 0), At(60, 40), At(260, 160), At(330, 200, 0.2)}, 220),
     {0, 60, 260}},
};

class AlignLinesTest : public testing::TestWithParam<AlignCase> {};

TEST_P(AlignLinesTest, PlacesEachLine) {
    const AlignCase& c = GetParam();
    EXPECT_EQ(AlignLinesToPhrases(c.track, c.lines), c.expected);
}

TEST(AlignLinesTest, StopsWhenAsked) {
    const AlignCase& c = kAlignCases[0];
    int asked = 0;
    EXPECT_EQ(AlignLinesToPhrases(c.track, c.lines, [&asked] { return ++asked < 2; }),
              std::nullopt);
    EXPECT_EQ(asked, 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, AlignLinesTest, testing::ValuesIn(kAlignCases),
                         [](const testing::TestParamInfo<AlignCase>& info) {
                             std::string name;
                             for (const char ch : info.param.name)
                                 name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return name;
                         });

// Levels (dB a centisecond) made of runs: `loud` where voiced, `quiet` else.
std::vector<float> Levels(const std::vector<std::pair<int, int>>& voicedRuns, int length,
                          float loud = 20.0f, float quiet = -30.0f) {
    std::vector<float> levels(static_cast<std::size_t>(length), quiet);
    for (const auto& [from, to] : voicedRuns)
        for (int i = from; i < to; ++i) levels[static_cast<std::size_t>(i)] = loud;
    return levels;
}

struct PhraseCase {
    std::string name;
    std::vector<float> levels;
    std::vector<int> starts;
    int voicedTotal;
};

const PhraseCase kPhraseCases[] = {
    {"phrases after silences", Levels({{100, 300}, {400, 600}}, 800), {100, 400}, 400},
    {"a breath is bridged", Levels({{100, 300}, {305, 500}}, 800), {100}, 400},
    {"a click is no phrase", Levels({{100, 300}, {500, 503}}, 800), {100}, 200},
    {"an even hum is no voice", Levels({}, 800, 0.0f, -1.0f), {}, 0},
    {"a voice of under a second is no voice", Levels({{100, 150}}, 800), {}, 0},
};

class FindPhrasesTest : public testing::TestWithParam<PhraseCase> {};

TEST_P(FindPhrasesTest, FindsTheStarts) {
    const PhraseCase& c = GetParam();
    const VoicePhrases found = FindPhrases(c.levels);
    std::vector<int> starts;
    for (const PhraseCandidate& candidate : found.track.candidates) {
        // The smoothing may move an edge by a few centiseconds.
        starts.push_back((candidate.cs + 5) / 10 * 10);
    }
    EXPECT_EQ(starts, c.starts);
    EXPECT_NEAR(found.track.voicedTotalCs, c.voicedTotal, 6);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindPhrasesTest, testing::ValuesIn(kPhraseCases),
                         [](const testing::TestParamInfo<PhraseCase>& info) {
                             std::string name;
                             for (const char ch : info.param.name)
                                 name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return name;
                         });

TEST(FindPhrasesTest, ALongerSilenceMakesASurerStart) {
    const VoicePhrases found = FindPhrases(Levels({{100, 300}, {320, 500}, {600, 800}}, 900));
    ASSERT_EQ(found.track.candidates.size(), 3u);
    EXPECT_LT(found.track.candidates[1].strength, found.track.candidates[2].strength);
}

TEST(PhraseEndTest, EndsWhereTheVoiceLastSounds) {
    const std::vector<bool> voiced = [] {
        std::vector<bool> v(100, false);
        for (int i = 10; i < 40; ++i) v[static_cast<std::size_t>(i)] = true;
        return v;
    }();
    EXPECT_EQ(PhraseEnd(voiced, 10, 80), 40);
    EXPECT_EQ(PhraseEnd(voiced, 10, 30), 30);
    EXPECT_EQ(PhraseEnd(voiced, 50, 80), 50);
}

// A sung line as the draft meets it: a tone whose pitch moves every tenth of
// a second, over a chord held all through the song.
std::vector<float> SungOverChord(int rate, const std::vector<std::pair<double, double>>& lines,
                                 double seconds) {
    std::vector<float> song(static_cast<std::size_t>(seconds * rate));
    const double chord[] = {220.0, 277.2, 329.6};
    const double notes[] = {392.0, 440.0, 523.3, 587.3, 659.3};
    double phase = 0.0;
    for (std::size_t i = 0; i < song.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        double s = 0.0;
        for (const double f : chord) s += 0.05 * std::sin(2.0 * std::numbers::pi * f * t);
        for (const auto& [from, to] : lines) {
            if (t < from || t >= to) continue;
            const double f = notes[static_cast<std::size_t>((t - from) * 10.0) % 5];
            phase += 2.0 * std::numbers::pi * f / rate;
            for (int h = 1; h <= 6; ++h) s += 0.3 / h * std::sin(h * phase);
        }
        song[i] = static_cast<float>(s);
    }
    return song;
}

class DraftRateTest : public testing::TestWithParam<int> {};

// The last line a minute in: a frame clock that drifts (a hop of 110.25
// samples taken as 110) is off there by more than the bound.
TEST_P(DraftRateTest, ProposesTheStartsOfSungLines) {
    const int rate = GetParam();
    const std::vector<std::pair<double, double>> sung = {{2.0, 4.0}, {5.0, 6.0}, {57.5, 60.0}};
    const std::vector<float> song = SungOverChord(rate, sung, 61.0);
    const std::vector<DraftLine> lines = {Line(8), Line(4), Line(10)};
    const DraftResult result = DraftTiming(song.data(), song.size(), rate, lines, {});
    ASSERT_EQ(result.startCs.size(), 3u);
    EXPECT_TRUE(result.problems.empty());
    for (std::size_t i = 0; i < sung.size(); ++i) {
        ASSERT_TRUE(result.startCs[i]) << i;
        EXPECT_NEAR(*result.startCs[i], sung[i].first * 100, 5) << i;
        ASSERT_TRUE(result.endCs[i]) << i;
        EXPECT_NEAR(*result.endCs[i], sung[i].second * 100, 15) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, DraftRateTest, testing::Values(44100, 48000, 22050, 8000));

TEST(DraftTimingTest, ANoteHeldAllThroughIsNoVoice) {
    constexpr int kRate = 16000;
    const std::vector<float> song = SungOverChord(kRate, {}, 6.0);
    for (const DraftMethod method : {DraftMethod::Aligned, DraftMethod::Even}) {
        const DraftResult result =
            DraftTiming(song.data(), song.size(), kRate, {Line(4), Line(4, 300)}, {}, method);
        EXPECT_EQ(result.problems, std::vector<std::string>{kNoVoiceMessage});
        EXPECT_EQ(result.startCs, (Starts{std::nullopt, 300}));
    }
}

TEST(DraftTimingTest, NonsenseAudioFindsNoVoice) {
    const std::vector<float> nan(8000, std::nanf(""));
    const struct {
        const float* samples;
        std::size_t frames;
        int rate;
    } cases[] = {{nullptr, 0, 44100}, {nan.data(), nan.size(), 8000}, {nan.data(), 100, 0}};
    for (const auto& c : cases) {
        const DraftResult result = DraftTiming(c.samples, c.frames, c.rate, {Line(4)}, {});
        EXPECT_EQ(result.problems, std::vector<std::string>{kNoVoiceMessage}) << c.rate;
        EXPECT_EQ(result.startCs, Starts{std::nullopt});
    }
}

TEST(DraftTimingTest, StopsWhenAsked) {
    const std::vector<float> song(16000 * 20, 0.0f);
    int calls = 0;
    const DraftResult result = DraftTiming(song.data(), song.size(), 16000, {Line(4)},
                                           [&calls](int) { return ++calls < 2; });
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(calls, 2);
}

TEST(DraftTimingTest, StopsWhilePlacing) {
    constexpr int kRate = 16000;
    const std::vector<float> song = SungOverChord(kRate, {{2.0, 4.0}, {5.0, 6.0}}, 8.0);
    int highest = 0;
    // Only the placement is told more than the analysis's 95 %.
    const DraftResult result =
        DraftTiming(song.data(), song.size(), kRate, {Line(4), Line(4)}, [&highest](int percent) {
            highest = std::max(highest, percent);
            return percent <= 95 || percent == 100;
        });
    EXPECT_GT(highest, 95);
    EXPECT_LT(highest, 100);
    EXPECT_TRUE(result.stopped);
}

TEST(DraftTimingTest, ASongOverTwentyMinutesIsRefused) {
    constexpr int kRate = 100;
    const std::vector<float> song((kLongestDraftSeconds + 1) * kRate, 0.0f);
    int told = 0;
    const DraftResult result =
        DraftTiming(song.data(), song.size(), kRate, {Line(4), Line(4, 300)}, [&told](int) {
            ++told;
            return true;
        });
    EXPECT_EQ(result.problems, std::vector<std::string>{kTooLongMessage});
    EXPECT_EQ(result.startCs, (Starts{std::nullopt, 300}));
    EXPECT_EQ(told, 0);
}

TEST(DraftTimingTest, EvenSpreadsBetweenTheFirstAndLastVoice) {
    constexpr int kRate = 16000;
    const std::vector<float> song = SungOverChord(kRate, {{2.0, 3.0}, {8.0, 10.0}}, 12.0);
    const DraftResult result =
        DraftTiming(song.data(), song.size(), kRate, {Line(4), Line(4), Line(4), Line(4)}, {},
                    DraftMethod::Even);
    ASSERT_EQ(result.startCs.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(result.startCs[static_cast<std::size_t>(i)]);
        EXPECT_NEAR(*result.startCs[static_cast<std::size_t>(i)], 200 + 200 * i, 15) << i;
    }
}

TEST(ApplyDraftTest, TimesTheUntimedLinesWithUnitsAndKeepsTheRest) {
    Document document;
    // "あいう", "かき" timed at 5 s, and an empty line (Shift-JIS).
    document.lyrics.assign({"\x82\xa0\x82\xa2\x82\xa4", "\x82\xa9\x82\xab", ""});
    document.lyrics.setTimeText(1, "00:05:00");
    const std::vector<DraftLine> lines = DraftLinesOf(document, nullptr);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].morae, 3);
    EXPECT_FALSE(lines[0].anchorCs);
    EXPECT_EQ(lines[1].morae, 2);
    EXPECT_EQ(lines[1].anchorCs, 500);
    EXPECT_EQ(lines[2].morae, 0);

    DraftResult result;
    result.startCs = {100, 900, 700};
    result.endCs = {250, 600, std::nullopt};
    EXPECT_EQ(ApplyDraft(document, result), 2);
    EXPECT_EQ(document.history.undoCaption(), "タイミングの下書き");
    const LyricLine& first = document.lyrics.line(0);
    EXPECT_EQ(first.timeText, "00:01:00");
    ASSERT_EQ(first.units.units.size(), 3u);
    EXPECT_EQ(first.units.units[1].start, 150);
    EXPECT_EQ(first.units.units[2].start, 200);
    EXPECT_EQ(first.units.end, 250);
    EXPECT_EQ(document.lyrics.line(1).timeText, "00:05:00");
    EXPECT_EQ(document.lyrics.line(2).timeText, "00:07:00");
    EXPECT_TRUE(document.lyrics.line(2).units.empty());

    document.history.undo();
    EXPECT_EQ(document.lyrics.line(0).timeText, "00:00:00");
    EXPECT_TRUE(document.lyrics.line(0).units.empty());
    EXPECT_EQ(document.lyrics.line(2).timeText, "00:00:00");
}

}  // namespace
}  // namespace obrin
