#include "document/unit_split.h"

#include <gtest/gtest.h>

#include "document/lyric_list.h"
#include "shown_units.h"
#include "sjis_lines.h"

namespace obrin {
namespace {

using test::ShownUnits;
using test::Sj;

RubyReading Reading(std::string_view base, std::string_view kana, int from = kNoUnitTime,
                    int to = kNoUnitTime) {
    RubyReading reading{.base = Sj(base), .from = from, .to = to};
    for (std::string& mora : SplitMorae(Sj(kana))) reading.morae.push_back({std::move(mora)});
    return reading;
}

// Units as "a|b|c"; a further mora of a reading shows as "+".
std::string Shown(const std::vector<TimingUnit>& units) {
    std::string shown;
    for (const TimingUnit& unit : units) {
        if (!shown.empty()) shown += '|';
        shown += unit.text.empty() ? "+" : SjisToUtf8(unit.text);
    }
    return shown;
}

struct SplitCase {
    const char* text;
    const char* expected;
};

TEST(UnitSplitTest, DefaultRules) {
    const RubyTable table{Reading("明日", "あした"), Reading("二人", "ふたり"),
                          Reading("君", "きみ")};
    const RubyIndex ruby(table);
    const SplitCase cases[] = {
        {"あいう", "あ|い|う"},
        {"きゃりー", "きゃ|り|ー"},
        {"ちょっと", "ちょ|っ|と"},
        {"ヴァイオリン", "ヴァ|イ|オ|リ|ン"},
        {"シュッ", "シュ|ッ"},
        {"ｷｬﾝﾃﾞｨ", "ｷｬ|ﾝ|ﾃﾞｨ"},
        {"ぁあ", "ぁ|あ"},
        {"明日は", "明日|+|+|は"},
        {"二人で", "二人|+|+|で"},
        {"君と僕", "君|+|と|僕"},
        {"時々", "時|々"},
        {"明日君", "明日|+|+|君|+"},
        {"Hello world", "Hello |world"},
        {"don't stop", "don't |stop"},
        {"Ｌｏｖｅ２", "Ｌｏｖｅ２"},
        {"2024年", "2024|年"},
        {"rock'", "rock'"},
        {"あ、い。", "あ、|い。"},
        {"「あい」", "「あ|い」"},
        {"　あ", "　あ"},
        {"あ 明日、は", "あ |明日、|+|+|は"},
        {"♪♪", "♪♪"},
        {"", ""},
    };
    for (const SplitCase& c : cases) {
        const std::vector<TimingUnit> units = SplitIntoUnits(Sj(c.text), ruby);
        EXPECT_EQ(Shown(units), c.expected) << c.text;
        EXPECT_EQ(JoinedText(units), Sj(c.text)) << c.text;
    }
}

TEST(UnitSplitTest, ReadingsApplyWithinTheirRange) {
    const RubyTable table{Reading("為替", "かわせ", kNoUnitTime, 6000),
                          Reading("為替", "かわ", 6000, 12000), Reading("為替", "", 12000)};
    const RubyIndex ruby(table);
    EXPECT_EQ(Shown(SplitIntoUnits(Sj("為替"), ruby, 100)), "為替|+|+");
    EXPECT_EQ(Shown(SplitIntoUnits(Sj("為替"), ruby, 6000)), "為替|+");
    EXPECT_EQ(Shown(SplitIntoUnits(Sj("為替"), ruby, 12000)), "為|替");
    EXPECT_EQ(Shown(SplitIntoUnits(Sj("為替"), ruby, kNoUnitTime)), "為|替");
}

TEST(UnitSplitTest, MoraeOfAUnit) {
    const std::pair<const char*, int> cases[] = {
        {"あ", 1}, {"きゃ", 1}, {"", 1}, {"love ", 2}, {"stay", 1}, {"2024", 4}, {"Ｌｏｖｅ", 2},
    };
    for (const auto& [text, morae] : cases) EXPECT_EQ(UnitMorae({Sj(text)}), morae) << text;
}

TEST(UnitSplitTest, EditingTheTextKeepsTheTimesOfUnchangedUnits) {
    // あ@100 い@120 明日(+2 morae) う, end 300, on a line at 00:01:00.
    const LineUnits timed{.units = {{Sj("あ"), 100},
                                    {Sj("い"), 120},
                                    {Sj("明日"), 140},
                                    {"", 150},
                                    {"", 160},
                                    {Sj("う"), 200}},
                          .end = 300};
    const SplitCase cases[] = {
        {"あい明日う", "あ@100|い@120|明日@140|+@150|+@160|う@200/300"},
        {"あか明日う", "あ@100|か|明日@140|+@150|+@160|う@200/300"},
        {"あい明日うえ", "あ@100|い@120|明日@140|+@150|+@160|う@200|え"},
        {"あい今日う", "あ@100|い@120|今|日|う@200/300"},
        {"えあい明日う", "え@100|あ@100|い@120|明日@140|+@150|+@160|う@200/300"},
        {"あい", "あ@100|い@120"},
        {"か", ""},
    };
    for (const SplitCase& c : cases) {
        LyricList list;
        list.assignLines({{.lyricText = Sj("あい明日う"), .timeText = "00:01:00", .units = timed}});
        list.setLyricText(0, Sj(c.text));
        EXPECT_EQ(ShownUnits(list.line(0).units), c.expected) << c.text;
    }
}

TEST(UnitSplitTest, ChangingTheLineTimeMovesItsUnits) {
    LyricList list;
    list.assignLines({{.lyricText = Sj("あい"),
                       .timeText = "00:01:00",
                       .units = {.units = {{Sj("あ"), 100}, {Sj("い"), 150}}, .end = 180}},
                      {.lyricText = Sj("う"), .timeText = "00:02:00"}});
    list.setTimeText(0, "00:03:50");
    EXPECT_EQ(ShownUnits(list.line(0).units), "あ@350|い@400/430");
    list.setTimeText(0, "00:00:20");
    EXPECT_EQ(ShownUnits(list.line(0).units), "あ@20|い@70/100");
    list.setTimeText(1, "00:05:00");
    EXPECT_TRUE(list.line(1).units.empty());
}

// A line of 100,000 units and a table of 10,000 readings split in time
// linear in their size; a quadratic split would not finish here.
TEST(UnitSplitTest, EnormousLinesAndTables) {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += Sj(i % 2 == 0 ? "あ" : "漢");
    RubyTable table;
    for (int i = 0; i < 10000; ++i) table.push_back(Reading("漢", "かん", i * 100, i * 100 + 100));
    const RubyIndex ruby(table);
    EXPECT_EQ(SplitIntoUnits(text, ruby, 50).size(), 150000u);
}

}  // namespace
}  // namespace obrin
