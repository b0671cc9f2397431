#include "document/line_drafts.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "timing_rig.h"

namespace obrin {
namespace {

using test::TimingRig;

constexpr int kNo = kNoUnitTime;
// "あいう": three units of the default split.
const std::string kThreeKana = "\x82\xa0\x82\xa2\x82\xa4";

// Each line's time, draft and units as text, so a failure shows what differs.
std::string LinesOf(const Document& document) {
    std::ostringstream out;
    for (const LyricLine& line : document.lyrics.lines()) {
        out << line.timeText << " draft " << line.draft.start << '-' << line.draft.end;
        for (const TimingUnit& unit : line.units.units) out << " @" << unit.start;
        if (line.units.end != kNo) out << " end " << line.units.end;
        out << '\n';
    }
    return out.str();
}

struct ApplyCase {
    const char* name;
    std::vector<std::string> times;
    std::vector<LineDraft> before;  // drafts already there, per line
    std::vector<LineDraft> proposals;
    std::vector<LineDraft> want;
    int drafted;

    friend void PrintTo(const ApplyCase& c, std::ostream* os) { *os << c.name; }
};

class SetDraftsCases : public ::testing::TestWithParam<ApplyCase> {};

TEST_P(SetDraftsCases, LeavesAnchorsAndIsOneStep) {
    const ApplyCase& c = GetParam();
    TimingRig rig;
    rig.lines(c.times);
    for (std::size_t i = 0; i < c.before.size(); ++i)
        rig.document.lyrics.setDraft(static_cast<int>(i), c.before[i]);
    const std::string was = LinesOf(rig.document);

    EXPECT_EQ(SetDrafts(rig.document, c.proposals), c.drafted);
    for (std::size_t i = 0; i < c.want.size(); ++i) {
        const LineDraft& have = rig.document.lyrics.line(static_cast<int>(i)).draft;
        EXPECT_EQ(have.start, c.want[i].start) << "line " << i;
        EXPECT_EQ(have.end, c.want[i].end) << "line " << i;
        EXPECT_EQ(rig.timeText(static_cast<int>(i)), c.times[i]) << "line " << i;
    }
    const std::string drafted = LinesOf(rig.document);
    if (drafted == was) {
        EXPECT_FALSE(rig.document.history.canUndo());
        return;
    }
    EXPECT_EQ(rig.document.history.undoCaption(), "タイミングの下書き");
    rig.document.history.undo();
    EXPECT_EQ(LinesOf(rig.document), was);
    EXPECT_FALSE(rig.document.history.canUndo());
    rig.document.history.redo();
    EXPECT_EQ(LinesOf(rig.document), drafted);
}

INSTANTIATE_TEST_SUITE_P(
    LineDrafts, SetDraftsCases,
    ::testing::Values(ApplyCase{"TimedLinesAreAnchors",
                                {"00:05:00", "00:00:00", "00:00:00", "00:09:00"},
                                {},
                                {{100, 200}, {600, 700}, {800, kNo}, {950, 990}},
                                {{}, {600, 700}, {800, kNo}, {}},
                                2},
                      ApplyCase{"AnEmptyProposalClearsAnEarlierDraft",
                                {"00:00:00", "00:00:00"},
                                {{100, 200}, {300, 400}},
                                {{}, {350, 450}},
                                {{}, {350, 450}},
                                1},
                      ApplyCase{"LinesPastTheProposalsLoseTheirDrafts",
                                {"00:00:00", "00:00:00"},
                                {{100, 200}, {300, 400}},
                                {{150, kNo}},
                                {{150, kNo}, {}},
                                1},
                      ApplyCase{"AnEndNotAfterTheStartAndANegativeStartAreDropped",
                                {"00:00:00", "00:00:00", "00:00:00"},
                                {},
                                {{500, 500}, {-5, 700}, {600, 550}},
                                {{500, kNo}, {}, {600, kNo}},
                                2},
                      ApplyCase{"TheSameDraftAgainLeavesNoStep",
                                {"00:00:00", "00:00:00"},
                                {{100, 200}, {}},
                                {{100, 200}, {}},
                                {{100, 200}, {}},
                                1}),
    [](const auto& info) { return std::string(info.param.name); });

struct AcceptCase {
    const char* name;
    std::string text;
    LineDraft draft;
    std::string wantTime;
    std::vector<int> wantUnitStarts;  // empty: the line keeps no units
    int wantEnd;

    friend void PrintTo(const AcceptCase& c, std::ostream* os) { *os << c.name; }
};

class AcceptDraftCases : public ::testing::TestWithParam<AcceptCase> {};

TEST_P(AcceptDraftCases, TimesTheLineAndSpreadsItsUnits) {
    const AcceptCase& c = GetParam();
    TimingRig rig;
    rig.lines({"00:01:00", "00:00:00", "00:00:00"});
    LyricList& lyrics = rig.document.lyrics;
    lyrics.setLyricText(1, c.text);
    lyrics.setDraft(1, c.draft);
    lyrics.setDraft(2, {900, kNo});
    const std::string was = LinesOf(rig.document);

    EXPECT_EQ(AcceptDrafts(rig.document, {0, 1}), 1);
    const LyricLine& line = lyrics.line(1);
    EXPECT_EQ(line.timeText, c.wantTime);
    EXPECT_TRUE(line.draft.empty());
    std::vector<int> starts;
    for (const TimingUnit& unit : line.units.units) starts.push_back(unit.start);
    EXPECT_EQ(starts, c.wantUnitStarts);
    EXPECT_EQ(line.units.end, c.wantEnd);
    // Only the lines asked for.
    EXPECT_EQ(lyrics.line(2).draft, (LineDraft{900, kNo}));
    EXPECT_EQ(rig.timeText(0), "00:01:00");

    EXPECT_EQ(rig.document.history.undoCaption(), "下書きを確定");
    rig.document.history.undo();
    EXPECT_EQ(LinesOf(rig.document), was);
}

INSTANTIATE_TEST_SUITE_P(
    LineDrafts, AcceptDraftCases,
    ::testing::Values(AcceptCase{"UnitsShareTheDraftByTheirMorae",
                                 kThreeKana,
                                 {300, 600},
                                 "00:03:00",
                                 {300, 400, 500},
                                 600},
                      AcceptCase{
                          "WithoutAnEndOnlyTheTime", kThreeKana, {300, kNo}, "00:03:00", {}, kNo},
                      AcceptCase{"OneUnitOnlyTheTime", "L", {1234, 1500}, "00:12:34", {}, kNo}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineDrafts, AcceptAllTakesEveryDraftInOneStep) {
    TimingRig rig;
    rig.lines({"00:00:00", "00:02:00", "00:00:00"});
    rig.document.lyrics.setDraft(0, {100, kNo});
    rig.document.lyrics.setDraft(2, {300, kNo});
    EXPECT_TRUE(HasDraft(rig.document.lyrics));

    EXPECT_EQ(AcceptAllDrafts(rig.document), 2);
    EXPECT_EQ(rig.timeText(0), "00:01:00");
    EXPECT_EQ(rig.timeText(1), "00:02:00");
    EXPECT_EQ(rig.timeText(2), "00:03:00");
    EXPECT_FALSE(HasDraft(rig.document.lyrics));
    rig.document.history.undo();
    EXPECT_TRUE(HasDraft(rig.document.lyrics));
    EXPECT_FALSE(rig.document.history.canUndo());
}

struct ReplaceCase {
    const char* name;
    std::function<void(TimingRig&)> act;
    std::string wantTime;

    friend void PrintTo(const ReplaceCase& c, std::ostream* os) { *os << c.name; }
};

class DraftReplacedBy : public ::testing::TestWithParam<ReplaceCase> {};

// A line the user times in any way takes that time and loses its draft; an
// undo brings the draft back.
TEST_P(DraftReplacedBy, TheUsersTime) {
    TimingRig rig;
    rig.load();
    rig.lines({"00:00:00", "00:00:00"});
    rig.document.lyrics.setDraft(0, {500, 800});
    rig.document.lyrics.select(0);
    rig.player.setPositionForTest(7.0);

    GetParam().act(rig);
    EXPECT_EQ(rig.timeText(0), GetParam().wantTime);
    EXPECT_TRUE(rig.document.lyrics.line(0).draft.empty());
    rig.document.history.undo();
    EXPECT_EQ(rig.document.lyrics.line(0).draft, (LineDraft{500, 800}));
    EXPECT_EQ(rig.timeText(0), "00:00:00");
}

INSTANTIATE_TEST_SUITE_P(
    LineDrafts, DraftReplacedBy,
    ::testing::Values(ReplaceCase{"AMark", [](TimingRig& rig) { rig.commands.mark(); }, "00:07:00"},
                      ReplaceCase{"ADroppedMarker",
                                  [](TimingRig& rig) { rig.commands.retimeLine(0, 4560); },
                                  "00:04:56"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
