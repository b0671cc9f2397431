#include "text/ruby_edit.h"

#include <gtest/gtest.h>

#include "shown_units.h"
#include "sjis_lines.h"
#include "table_readings.h"

namespace obrin {
namespace {

using test::Sj;

RubyReading Reading(std::string_view base, std::initializer_list<std::string_view> morae,
                    int from = kNoUnitTime, int to = kNoUnitTime) {
    RubyReading reading{.base = Sj(base), .from = from, .to = to};
    for (const std::string_view mora : morae) reading.morae.push_back({Sj(mora), kNoUnitTime});
    return reading;
}

// "base:suggested>reading" with "[from,to]" for a range and "#entry" for a
// row of the document's table.
std::string Shown(const std::vector<RubyRow>& rows) {
    std::string shown;
    for (const RubyRow& row : rows) {
        if (!shown.empty()) shown += ' ';
        shown += SjisToUtf8(row.base);
        if (row.from != kNoUnitTime || row.to != kNoUnitTime)
            shown += "[" + std::to_string(row.from) + "," + std::to_string(row.to) + "]";
        shown += ":" + SjisToUtf8(row.suggested) + ">" + SjisToUtf8(row.reading);
        if (row.entry != RubyRow::kNewRow) shown += "#" + std::to_string(row.entry);
    }
    return shown;
}

// "base=mo/ra" with "@time" per timed mora and "[from,to]" for a range.
std::string Shown(const RubyTable& table) {
    std::string shown;
    for (const RubyReading& reading : table) {
        if (!shown.empty()) shown += ' ';
        shown += SjisToUtf8(reading.base) + "=";
        for (std::size_t m = 0; m < reading.morae.size(); ++m) {
            if (m > 0) shown += '/';
            shown += SjisToUtf8(reading.morae[m].text);
            if (reading.morae[m].start != kNoUnitTime)
                shown += "@" + std::to_string(reading.morae[m].start);
        }
        if (reading.from != kNoUnitTime || reading.to != kNoUnitTime)
            shown += "[" + std::to_string(reading.from) + "," + std::to_string(reading.to) + "]";
    }
    return shown;
}

const test::TableReadings kDictionary({Reading("明日", {"あ", "し", "た"}),
                                       Reading("空", {"そ", "ら"}),
                                       Reading("東京", {"とう", "きょう"})});

struct RowsCase {
    const char* name;
    std::vector<std::string_view> lyrics;
    RubyTable table;
    bool withSource;
    const char* rows;
};

class RubyRowsTest : public testing::TestWithParam<RowsCase> {};

TEST_P(RubyRowsTest, ListsTheTableThenSuggestionsThenUncoveredRuns) {
    const RowsCase& c = GetParam();
    std::vector<std::string> lyrics;
    for (const std::string_view line : c.lyrics) lyrics.push_back(Sj(line));
    EXPECT_EQ(Shown(BuildRubyRows(lyrics, c.table, c.withSource ? &kDictionary : nullptr)), c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RubyRowsTest,
    testing::Values(
        RowsCase{"TableFirstEachShowingItsSuggestion",
                 {"空を見た", "明日の空"},
                 {Reading("空", {"く", "う"})},
                 true,
                 "空:そら>くう#0 明日:あした> 見:>"},
        RowsCase{
            "EveryRangeIsARow",
            {"空"},
            {Reading("空", {"そ", "ら"}, kNoUnitTime, 1000), Reading("空", {"か", "ら"}, 1000)},
            true,
            "空[-1,1000]:そら>そら#0 空[1000,-1]:そら>から#1"},
        RowsCase{"WithoutADictionaryEveryKanjiRunOnce",
                 {"夢見る夢", "君と夢見る"},
                 {},
                 false,
                 "夢見:> 夢:> 君:>"},
        RowsCase{"RunCoveredByTwoBasesIsNotListed",
                 {"東京空"},
                 {Reading("空", {"そ", "ら"})},
                 true,
                 "空:そら>そら#0 東京:とうきょう>"},
        RowsCase{
            "RunPartlyCoveredIsListedWhole", {"東京都"}, {}, true, "東京:とうきょう> 東京都:>"},
        RowsCase{"IterationMarkBelongsToItsRun", {"人々"}, {}, false, "人々:>"},
        RowsCase{"KanaAndLatinAreNoRuns", {"あいう ABC"}, {}, false, ""}),
    [](const testing::TestParamInfo<RowsCase>& info) { return std::string(info.param.name); });

struct ApplyCase {
    const char* name;
    // Each row's new reading, in the order of the rows of `table` and
    // the lyrics "空と明日の星".
    std::vector<std::string_view> readings;
    const char* table;
};

const RubyTable kTimedTable{
    {.base = Sj("空"), .morae = {{Sj("そ"), 0}, {Sj("ら"), 30}}, .from = kNoUnitTime, .to = 500},
    Reading("空", {"か", "ら"}, 500)};

class ApplyRubyRowsTest : public testing::TestWithParam<ApplyCase> {};

TEST_P(ApplyRubyRowsTest, WritesTheEditedReadings) {
    const ApplyCase& c = GetParam();
    std::vector<RubyRow> rows = BuildRubyRows({Sj("空と明日の星")}, kTimedTable, &kDictionary);
    ASSERT_EQ(rows.size(), c.readings.size()) << Shown(rows);
    for (std::size_t r = 0; r < rows.size(); ++r) rows[r].reading = Sj(c.readings[r]);
    EXPECT_EQ(Shown(ApplyRubyRows(kTimedTable, rows)), c.table);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ApplyRubyRowsTest,
    testing::Values(ApplyCase{"UnchangedKeepsTimesAndRanges",
                              {"そら", "から", "", ""},
                              "空=そ@0/ら@30[-1,500] 空=か/ら[500,-1]"},
                    ApplyCase{"ChangedIsCutIntoMoraeUntimed",
                              {"きゅう", "から", "あした", ""},
                              "空=きゅ/う[-1,500] 空=か/ら[500,-1] 明日=あ/し/た"},
                    ApplyCase{"EmptyBeforeARangeWithAReadingStaysAsNoReading",
                              {"", "から", "", "ほし"},
                              "空=[-1,500] 空=か/ら[500,-1] 星=ほ/し"},
                    ApplyCase{"EmptyWithNothingAfterItIsRemoved",
                              {"そら", "", "", ""},
                              "空=そ@0/ら@30[-1,500]"},
                    ApplyCase{"AllEmptyLeavesNoTable", {"", "", "", ""}, ""}),
    [](const testing::TestParamInfo<ApplyCase>& info) { return std::string(info.param.name); });

struct ResplitCase {
    const char* name;
    RubyTable before;
    RubyTable after;
    LineUnits units;
    const char* shown;
};

class ResplitReadingsTest : public testing::TestWithParam<ResplitCase> {};

TEST_P(ResplitReadingsTest, CutsOnlyTheRunsWhoseReadingChanged) {
    const ResplitCase& c = GetParam();
    const RubyIndex before(c.before);
    const RubyIndex after(c.after);
    EXPECT_EQ(test::ShownUnits(ResplitReadings(c.units, before, after, 100)), c.shown);
}

const LineUnits kSoraLine{.units = {{Sj("空"), 100}, {"", 130}, {Sj("を"), 160}}, .end = 200};

INSTANTIATE_TEST_SUITE_P(
    Cases, ResplitReadingsTest,
    testing::Values(ResplitCase{"SameReadingKeepsTimes",
                                {Reading("空", {"そ", "ら"})},
                                {Reading("空", {"そ", "ら"}, 0)},
                                kSoraLine,
                                "空@100|+@130|を@160/200"},
                    ResplitCase{"MoreMoraeShareTheRunsTime",
                                {Reading("空", {"そ", "ら"})},
                                {Reading("空", {"く", "う", "き"})},
                                kSoraLine,
                                "空@100|+@120|+@140|を@160/200"},
                    ResplitCase{"NoReadingLeavesOneUnit",
                                {Reading("空", {"そ", "ら"})},
                                {},
                                kSoraLine,
                                "空@100|を@160/200"},
                    ResplitCase{"LastRunSharesUpToTheEnd",
                                {},
                                {Reading("空", {"そ", "ら"})},
                                {.units = {{Sj("あ"), 100}, {Sj("空"), 150}}, .end = 200},
                                "あ@100|空@150|+@175/200"},
                    ResplitCase{"UntimedNeighboursLeaveFurtherMoraeUntimed",
                                {},
                                {Reading("空", {"そ", "ら"})},
                                {.units = {{Sj("空"), 100}, {Sj("を"), kNoUnitTime}}},
                                "空@100|+|を"}),
    [](const testing::TestParamInfo<ResplitCase>& info) { return std::string(info.param.name); });

TEST(EditRubyTest, OneUndoStepForTheTableAndTheUnits) {
    Document document;
    document.lyrics.assignLines(
        {{.lyricText = Sj("空を"), .timeText = "00:01:00", .units = kSoraLine}});
    document.setRuby({Reading("空", {"そ", "ら"})});

    std::vector<RubyRow> rows = BuildRubyRows({Sj("空を")}, document.ruby(), nullptr);
    EditRuby(document, rows);
    EXPECT_FALSE(document.history.canUndo()) << "nothing edited, no step";

    rows[0].reading = Sj("くうき");
    EditRuby(document, rows);
    EXPECT_EQ(document.history.undoCaption(), "ルビの編集");
    EXPECT_EQ(Shown(document.ruby()), "空=く/う/き");
    EXPECT_EQ(test::ShownUnits(document.lyrics.line(0).units), "空@100|+@120|+@140|を@160/200");

    document.history.undo();
    EXPECT_FALSE(document.history.canUndo()) << "the table and the units were one step";
    EXPECT_EQ(Shown(document.ruby()), "空=そ/ら");
    EXPECT_EQ(document.lyrics.line(0).units, kSoraLine);
}

}  // namespace
}  // namespace obrin
