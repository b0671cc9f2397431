#include "document/spread_command.h"

#include <gtest/gtest.h>

#include "document/document.h"
#include "recording_dialogs.h"
#include "shown_units.h"
#include "sjis_lines.h"

namespace obrin {
namespace {

using test::Sj;

// Three lines: "あい" at 1 s untimed, "かき" at 2 s already tapped (its second
// unit at 2.8 s), "さし" at 4 s with only its end tapped, at 5 s.
std::vector<LyricLine> Lines() {
    return {{.lyricText = Sj("あい"), .timeText = "00:01:00"},
            {.lyricText = Sj("かき"),
             .timeText = "00:02:00",
             .units = {.units = {{Sj("か"), 200}, {Sj("き"), 280}}}},
            {.lyricText = Sj("さし"),
             .timeText = "00:04:00",
             .units = {.units = {{Sj("さ"), kNoUnitTime}, {Sj("し"), kNoUnitTime}}, .end = 500}}};
}

std::vector<std::string> ShownLines(const std::vector<LyricLine>& lines) {
    std::vector<std::string> shown;
    for (const LyricLine& line : lines)
        shown.push_back(line.timeText + " " + test::ShownUnits(line.units));
    return shown;
}

struct SpreadCase {
    const char* name;
    std::vector<int> selected;
    std::optional<int> answer;  // to the question about lines with unit times
    // Each line's units after the command, as test::ShownUnits shows them.
    std::vector<std::string> units;
    bool asked;
};

class SpreadLineTimesTest : public testing::TestWithParam<SpreadCase> {};

TEST_P(SpreadLineTimesTest, SpreadsTheChosenLinesAsOneStep) {
    const SpreadCase& c = GetParam();
    Document document;
    document.lyrics.assignLines(Lines());
    for (const int i : c.selected) document.lyrics.select(i);
    test::RecordingDialogs dialogs;
    dialogs.chooseAnswers.push_back(c.answer);

    SpreadLineTimes(document, dialogs);

    std::vector<std::string> units;
    for (const LyricLine& line : document.lyrics.lines())
        units.push_back(test::ShownUnits(line.units));
    EXPECT_EQ(units, c.units);
    EXPECT_EQ(dialogs.chooseQuestions().size(), c.asked ? 1u : 0u);
    EXPECT_EQ(dialogs.informations(), std::vector<std::string>{});
    if (document.history.canUndo()) {
        document.history.undo();
        EXPECT_EQ(ShownLines(document.lyrics.lines()), ShownLines(Lines())) << "one step";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpreadLineTimesTest,
    testing::Values(
        SpreadCase{"NothingSelectedSpreadsEveryUntimedLine",
                   {},
                   1,
                   {"あ@100|い@150", "か@200|き@280", "さ|し/500"},
                   true},
        SpreadCase{"TappedLinesAreSpreadAgainWhenTheUserSaysSo",
                   {},
                   0,
                   {"あ@100|い@150", "か@200|き@300", "さ@400|し@450/500"},
                   true},
        SpreadCase{
            "CancelChangesNothing", {}, std::nullopt, {"", "か@200|き@280", "さ|し/500"}, true},
        SpreadCase{"OnlyTheSelectedLineEndingAtTheNextLinesStart",
                   {0},
                   std::nullopt,
                   {"あ@100|い@150", "か@200|き@280", "さ|し/500"},
                   false}),
    [](const testing::TestParamInfo<SpreadCase>& info) { return std::string(info.param.name); });

struct NothingCase {
    const char* name;
    std::vector<LyricLine> lines;
    const char* message;
};

class SpreadNothingTest : public testing::TestWithParam<NothingCase> {};

TEST_P(SpreadNothingTest, SaysWhyAndLeavesNoStep) {
    const NothingCase& c = GetParam();
    Document document;
    document.lyrics.assignLines(c.lines);
    test::RecordingDialogs dialogs;
    SpreadLineTimes(document, dialogs);
    EXPECT_EQ(dialogs.informations(), std::vector<std::string>{c.message});
    EXPECT_FALSE(document.history.canUndo());
    EXPECT_EQ(ShownLines(document.lyrics.lines()), ShownLines(c.lines));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpreadNothingTest,
    testing::Values(NothingCase{"NoLineHasATime",
                                {{.lyricText = Sj("あい"), .timeText = "00:00:00"}},
                                kSpreadNoTimedLines},
                    NothingCase{"OneUnitOrNothingToEndAt",
                                {{.lyricText = Sj("あ"), .timeText = "00:01:00"},
                                 {.lyricText = Sj("かき"), .timeText = "00:02:00"}},
                                kSpreadNothingToFill}),
    [](const testing::TestParamInfo<NothingCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
