#include "document/unit_retime.h"

#include <gtest/gtest.h>

#include "shown_units.h"
#include "sjis_lines.h"

namespace obrin {
namespace {

using test::ShownUnits;
using test::Sj;

// The other way of ShownUnits: "か@500|き|く@700/800".
LineUnits UnitsFrom(std::string_view shown) {
    LineUnits units;
    if (shown.empty()) return units;
    if (const auto slash = shown.find('/'); slash != std::string_view::npos) {
        units.end = std::stoi(std::string(shown.substr(slash + 1)));
        shown = shown.substr(0, slash);
    }
    while (!shown.empty()) {
        const auto bar = shown.find('|');
        std::string_view unit = shown.substr(0, bar);
        shown = bar == std::string_view::npos ? std::string_view() : shown.substr(bar + 1);
        TimingUnit timed;
        if (const auto at = unit.find('@'); at != std::string_view::npos) {
            timed.start = std::stoi(std::string(unit.substr(at + 1)));
            unit = unit.substr(0, at);
        }
        if (unit != "+") timed.text = Sj(unit);
        units.units.push_back(std::move(timed));
    }
    return units;
}

struct Line {
    const char* text;
    const char* time;
    const char* units;
};

struct RetimeCase {
    const char* name;
    std::vector<Line> lines;
    int line;
    int unit;  // kLineEndUnit: the end
    int centis;
    const char* units;  // the line's units afterwards
    const char* time;   // and its time
};

const std::vector<Line> kThreeLines = {
    {"あ", "00:02:00", ""},
    {"かきく", "00:05:00", "か@500|き@600|く@700/800"},
    {"さ", "00:10:00", ""},
};

const RetimeCase kCases[] = {
    {"a unit between its neighbours", kThreeLines, 1, 1, 650, "か@500|き@650|く@700/800",
     "00:05:00"},
    {"up to the next unit", kThreeLines, 1, 1, 900, "か@500|き@700|く@700/800", "00:05:00"},
    {"down to the unit before", kThreeLines, 1, 1, 100, "か@500|き@500|く@700/800", "00:05:00"},
    {"the last unit stops at the end", kThreeLines, 1, 2, 950, "か@500|き@600|く@800/800",
     "00:05:00"},
    {"the first unit takes the line's time alone", kThreeLines, 1, 0, 550,
     "か@550|き@600|く@700/800", "00:05:50"},
    {"the first unit stops at the line before", kThreeLines, 1, 0, 100, "か@200|き@600|く@700/800",
     "00:02:00"},
    {"the first unit stops at the second", kThreeLines, 1, 0, 9999, "か@600|き@600|く@700/800",
     "00:06:00"},
    {"the end stops at the next line", kThreeLines, 1, kLineEndUnit, 2000,
     "か@500|き@600|く@700/1000", "00:05:00"},
    {"the end stops at the last unit", kThreeLines, 1, kLineEndUnit, 100,
     "か@500|き@600|く@700/700", "00:05:00"},
    {"an untimed unit is left",
     {{"かきく", "00:05:00", "か@500|き|く@700/800"}},
     0,
     1,
     600,
     "か@500|き|く@700/800",
     "00:05:00"},
    {"untimed neighbours are passed over",
     {{"かきく", "00:05:00", "か@500|き|く@700/800"}},
     0,
     2,
     400,
     "か@500|き|く@500/800",
     "00:05:00"},
    {"without an end the next line bounds the last unit",
     {{"かきく", "00:05:00", "か@500|き@600|く@700"},
      {"た", "00:00:00", ""},
      {"さ", "00:10:00", ""}},
     0,
     2,
     1500,
     "か@500|き@600|く@1000",
     "00:05:00"},
    {"the last line's last unit is free",
     {{"さし", "00:10:00", "さ@1000|し@1100"}},
     0,
     1,
     50000,
     "さ@1000|し@50000",
     "00:10:00"},
    {"the first unit stops at the end of the line before",
     {{"さ", "00:03:00", "さ@300/320"}, {"し", "00:04:00", "し@400/450"}},
     1,
     0,
     100,
     "し@320/450",
     "00:03:20"},
    {"a line of the default split moves its time only",
     {{"あい", "00:02:00", ""}, {"か", "00:05:00", ""}},
     0,
     0,
     150,
     "",
     "00:01:50"},
    {"a line of the default split has no other timed unit",
     {{"あい", "00:02:00", ""}, {"か", "00:05:00", ""}},
     0,
     1,
     300,
     "",
     "00:02:00"},
    {"a line of the default split has no end",
     {{"あい", "00:02:00", ""}, {"か", "00:05:00", ""}},
     0,
     kLineEndUnit,
     300,
     "",
     "00:02:00"},
    {"a unit beyond the line's", kThreeLines, 1, 3, 750, "か@500|き@600|く@700/800", "00:05:00"},
    {"a line beyond the list", kThreeLines, 3, 0, 750, "", ""},
    {"a line before the list", kThreeLines, -1, 0, 750, "", ""},
    {"a line before that is later never pulls the unit back",
     {{"あ", "00:06:00", ""}, {"かき", "00:05:00", "か@500|き@700"}},
     1,
     0,
     300,
     "か@500|き@700",
     "00:05:00"},
    {"nor keeps it from what lies ahead",
     {{"あ", "00:06:00", ""}, {"かき", "00:05:00", "か@500|き@700"}},
     1,
     0,
     650,
     "か@650|き@700",
     "00:06:50"},
    {"a time below the song's start is 0",
     {{"かき", "00:05:00", "か@500|き@700"}},
     0,
     0,
     -40,
     "か@0|き@700",
     "00:00:00"},
};

TEST(UnitRetimeTest, MovesOneUnitWithinItsNeighboursAsOneStep) {
    for (const RetimeCase& c : kCases) {
        SCOPED_TRACE(c.name);
        Document document;
        std::vector<std::string> texts;
        for (const Line& line : c.lines) texts.push_back(Sj(line.text));
        document.lyrics.assign(texts);
        for (int i = 0; i < static_cast<int>(c.lines.size()); ++i) {
            const Line& line = c.lines[static_cast<std::size_t>(i)];
            document.lyrics.setTimeText(i, line.time);
            document.lyrics.setUnits(i, UnitsFrom(line.units));
        }
        const std::vector<LyricLine> before = document.lyrics.lines();

        if (c.unit == kLineEndUnit) {
            RetimeLineEnd(document, c.line, c.centis);
        } else {
            RetimeUnit(document, c.line, c.unit, c.centis);
        }

        const bool exists = c.line >= 0 && c.line < document.lyrics.count();
        if (exists) {
            EXPECT_EQ(ShownUnits(document.lyrics.line(c.line).units), c.units);
            EXPECT_EQ(document.lyrics.line(c.line).timeText, c.time);
        }
        bool changed = false;
        for (int i = 0; i < document.lyrics.count(); ++i) {
            const LyricLine& now = document.lyrics.line(i);
            const LyricLine& was = before[static_cast<std::size_t>(i)];
            const bool same = now.timeText == was.timeText && now.units == was.units;
            changed = changed || !same;
            if (i != c.line) {
                EXPECT_TRUE(same) << "line " << i;
            }
        }
        ASSERT_EQ(document.history.canUndo(), changed);
        if (!changed) continue;
        EXPECT_EQ(document.history.undoCaption(),
                  c.unit == kLineEndUnit ? "行末の時間の変更" : "文字の時間の変更");
        document.history.undo();
        EXPECT_FALSE(document.history.canUndo());
        for (int i = 0; i < document.lyrics.count(); ++i) {
            EXPECT_EQ(document.lyrics.line(i).timeText,
                      before[static_cast<std::size_t>(i)].timeText);
            EXPECT_EQ(document.lyrics.line(i).units, before[static_cast<std::size_t>(i)].units);
        }
    }
}

}  // namespace
}  // namespace obrin
