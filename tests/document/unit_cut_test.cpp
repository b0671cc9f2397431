#include "document/unit_cut.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "base/sjis_codec.h"
#include "document/karaoke_units.h"
#include "shown_units.h"

namespace obrin {
namespace {

// "あい" and "空" with the further mora of its reading, then "へ": each a
// timed unit.
LineUnits Timed() {
    return {.units = {{Utf8ToSjis("あい"), 100},
                      {Utf8ToSjis("空"), 120},
                      {"", 130},
                      {Utf8ToSjis("へ"), 140},
                      {"ab", 150}},
            .end = 170};
}

struct CutCase {
    const char* name;
    std::size_t at;  // a byte of the joined text "あい空へab"
    UnitCut cut;
    std::string shown;  // unchanged when refused
};

void PrintTo(const CutCase& c, std::ostream* os) {
    *os << c.name;
}

class UnitCutTest : public testing::TestWithParam<CutCase> {};

TEST_P(UnitCutTest, SplitsOrJoinsKeepingTheOtherTimes) {
    LineUnits units = Timed();
    const UnitCutResult result = CutUnitsAt(units, GetParam().at);
    EXPECT_EQ(result.cut, GetParam().cut);
    EXPECT_EQ(result.refusal.empty(), result.cut != UnitCut::Refused);
    EXPECT_EQ(test::ShownUnits(units), GetParam().shown);
}

constexpr const char* kWhole = "あい@100|空@120|+@130|へ@140|ab@150/170";

INSTANTIATE_TEST_SUITE_P(
    Places, UnitCutTest,
    testing::Values(
        CutCase{"SplitBetweenKana", 2, UnitCut::Split, "あ@100|い|空@120|+@130|へ@140|ab@150/170"},
        CutCase{"SplitInsideAWord", 9, UnitCut::Split, "あい@100|空@120|+@130|へ@140|a@150|b/170"},
        CutCase{"JoinAfterAReadingTakesItsMorae", 6, UnitCut::Joined,
                "あい@100|空へ@120|+@130|ab@150/170"},
        CutCase{"JoinTwoPlainUnits", 8, UnitCut::Joined, "あい@100|空@120|+@130|へab@140/170"},
        CutCase{"JoinAtTheFirstKanji", 4, UnitCut::Joined, "あい空@100|+@130|へ@140|ab@150/170"},
        CutCase{"InsideADoubleByteCharacter", 1, UnitCut::Refused, kWhole},
        CutCase{"AtTheStart", 0, UnitCut::Refused, kWhole},
        CutCase{"AtTheEnd", 10, UnitCut::Refused, kWhole}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UnitCut, InsideAKanjiRunWithAReadingIsRefused) {
    LineUnits units{.units = {{Utf8ToSjis("今日"), 100}, {"", 110}, {"", 120}}};
    EXPECT_EQ(CutUnitsAt(units, 2).cut, UnitCut::Refused);
    EXPECT_EQ(test::ShownUnits(units), "今日@100|+@110|+@120");
}

TEST(UnitCut, ALinesCutIsOneStepOnItsDefaultSplit) {
    Document document;
    const int line = document.lyrics.add();
    document.lyrics.setLyricText(line, Utf8ToSjis("あいう"));
    document.lyrics.setTimeText(line, "00:01:00");
    EXPECT_EQ(CutLineUnitsAt(document, line, 2).cut, UnitCut::Joined);
    EXPECT_EQ(test::ShownUnits(document.lyrics.line(line).units), "あい@100|う");
    EXPECT_EQ(document.history.undoCaption(), "単位の結合");
    document.history.undo();
    EXPECT_TRUE(document.lyrics.line(line).units.empty());
    EXPECT_FALSE(document.history.canUndo());
}

}  // namespace
}  // namespace obrin
