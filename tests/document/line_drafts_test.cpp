#include "document/line_drafts.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "timing_rig.h"

namespace obrin {
namespace {

using test::TimingRig;

constexpr int kNo = kNoUnitTime;

// Each line's time, draft and units, so a failure shows what differs.
std::string LinesOf(const Document& document) {
    std::string out;
    for (const LyricLine& line : document.lyrics.lines()) {
        out += line.timeText + " " + std::to_string(line.draft.start) + "-" +
               std::to_string(line.draft.end) + " end " + std::to_string(line.units.end);
        for (const TimingUnit& unit : line.units.units) out += " @" + std::to_string(unit.start);
        out += '\n';
    }
    return out;
}

struct SetCase {
    const char* name;
    std::vector<std::string> times;
    std::vector<LineDraft> before, proposals, want;  // per line
    friend void PrintTo(const SetCase& c, std::ostream* os) { *os << c.name; }
};

class SetDraftsCases : public ::testing::TestWithParam<SetCase> {};

TEST_P(SetDraftsCases, LeaveAnchorsAndAreOneStep) {
    const SetCase& c = GetParam();
    TimingRig rig;
    rig.lines(c.times);
    for (std::size_t i = 0; i < c.before.size(); ++i)
        rig.document.lyrics.setDraft(static_cast<int>(i), c.before[i]);
    const std::string was = LinesOf(rig.document);

    int drafted = 0;
    for (const LineDraft& draft : c.want) drafted += draft.empty() ? 0 : 1;
    EXPECT_EQ(SetDrafts(rig.document, c.proposals), drafted);
    for (std::size_t i = 0; i < c.want.size(); ++i) {
        EXPECT_EQ(rig.document.lyrics.line(static_cast<int>(i)).draft, c.want[i]) << i;
        EXPECT_EQ(rig.timeText(static_cast<int>(i)), c.times[i]) << i;
    }
    const std::string now = LinesOf(rig.document);
    EXPECT_EQ(rig.document.history.canUndo(), now != was);
    if (now == was) return;
    EXPECT_EQ(rig.document.history.undoCaption(), "タイミングの下書き");
    rig.document.history.undo();
    EXPECT_EQ(LinesOf(rig.document), was);
    rig.document.history.redo();
    EXPECT_EQ(LinesOf(rig.document), now);
}

INSTANTIATE_TEST_SUITE_P(
    LineDrafts, SetDraftsCases,
    ::testing::Values(SetCase{"TimedLinesAreAnchorsAndBadTimesAreDropped",
                              {"00:05:00", "00:00:00", "00:00:00", "00:00:00", "00:09:00"},
                              {},
                              {{100, 200}, {600, 700}, {800, 750}, {-5, 900}, {950, 990}},
                              {{}, {600, 700}, {800, kNo}, {}, {}}},
                      SetCase{"AnEmptyOrMissingProposalClearsAnEarlierDraft",
                              {"00:00:00", "00:00:00", "00:00:00"},
                              {{100, 200}, {300, 400}, {500, 600}},
                              {{}, {350, 450}},
                              {{}, {350, 450}, {}}},
                      SetCase{"AProposalAtTheVeryStartTakesACentisecond",
                              {"00:00:00", "00:00:00"},
                              {},
                              {{0, 200}, {0, kNo}},
                              {{1, 200}, {1, kNo}}},
                      SetCase{"TheSameDraftAgainLeavesNoStep",
                              {"00:00:00", "00:00:00"},
                              {{100, 200}, {}},
                              {{100, 200}, {}},
                              {{100, 200}, {}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct AcceptCase {
    const char* name;
    std::string text;
    LineDraft draft;
    std::string wantTime;
    std::vector<int> wantUnits;  // their starts, then the end; empty: no units
    friend void PrintTo(const AcceptCase& c, std::ostream* os) { *os << c.name; }
};

class AcceptDraftCases : public ::testing::TestWithParam<AcceptCase> {};

TEST_P(AcceptDraftCases, TimeTheLineAndSpreadItsUnits) {
    const AcceptCase& c = GetParam();
    TimingRig rig;
    rig.lines({"00:01:00", "00:00:00", "00:00:00"});
    LyricList& lyrics = rig.document.lyrics;
    lyrics.setLyricText(1, c.text);
    lyrics.setDraft(1, c.draft);
    lyrics.setDraft(2, {900, kNo});
    const std::string was = LinesOf(rig.document);

    EXPECT_EQ(AcceptDrafts(rig.document, {0, 1}), 1);
    EXPECT_EQ(rig.timeText(1), c.wantTime);
    EXPECT_TRUE(lyrics.line(1).draft.empty());
    std::vector<int> units;
    for (const TimingUnit& unit : lyrics.line(1).units.units) units.push_back(unit.start);
    if (!units.empty()) units.push_back(lyrics.line(1).units.end);
    EXPECT_EQ(units, c.wantUnits);
    EXPECT_EQ(lyrics.line(2).draft, (LineDraft{900, kNo}));  // not asked for
    EXPECT_EQ(rig.document.history.undoCaption(), "下書きを確定");
    rig.document.history.undo();
    EXPECT_EQ(LinesOf(rig.document), was);
}

// "あいう": three units of the default split.
INSTANTIATE_TEST_SUITE_P(
    LineDrafts, AcceptDraftCases,
    ::testing::Values(
        AcceptCase{"UnitsShareTheDraftByTheirMorae",
                   "\x82\xa0\x82\xa2\x82\xa4",
                   {300, 600},
                   "00:03:00",
                   {300, 400, 500, 600}},
        AcceptCase{
            "WithoutAnEndOnlyTheTime", "\x82\xa0\x82\xa2\x82\xa4", {300, kNo}, "00:03:00", {}},
        AcceptCase{"OneUnitOnlyTheTime", "L", {1234, 1500}, "00:12:34", {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReplaceCase {
    const char* name;
    std::function<void(TimingRig&)> act;
    std::string wantTime;
    friend void PrintTo(const ReplaceCase& c, std::ostream* os) { *os << c.name; }
};

class DraftReplacedBy : public ::testing::TestWithParam<ReplaceCase> {};

// A line the user times takes that time instead of its draft; an undo brings
// the draft back.
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
