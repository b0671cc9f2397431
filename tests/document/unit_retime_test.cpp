#include "document/unit_retime.h"

#include <gtest/gtest.h>

#include "base/time_text.h"
#include "document/unit_split.h"
#include "sjis_lines.h"

namespace obrin {
namespace {

constexpr int kNo = kNoUnitTime;
constexpr int kEnd = kLineEndUnit;

// A line's time (centiseconds) and its units' starts, one kana each, then its
// end; without starts, the default split of "あい".
struct Line {
    int time;
    std::vector<int> starts;
    int end = kNo;
};

LineUnits Units(const Line& line) {
    static const char* const kKana[] = {"か", "き", "く"};
    LineUnits units{.end = line.end};
    for (std::size_t i = 0; i < line.starts.size(); ++i) {
        units.units.push_back({test::Sj(kKana[i]), line.starts[i]});
    }
    return units;
}

struct Case {
    const char* name;
    std::vector<Line> lines;
    int line, unit, centis;
    Line after;  // the line's time and units afterwards
};

const std::vector<Line> kThree = {{200, {}}, {500, {500, 600, 700}, 800}, {1000, {}}};

const Case kCases[] = {
    {"between its neighbours", kThree, 1, 1, 650, {500, {500, 650, 700}, 800}},
    {"the last unit up to the end", kThree, 1, 2, 950, {500, {500, 600, 800}, 800}},
    {"the first unit is the line's time, alone", kThree, 1, 0, 550, {550, {550, 600, 700}, 800}},
    {"the first unit down to the line before", kThree, 1, 0, 100, {200, {200, 600, 700}, 800}},
    {"the end up to the next line", kThree, 1, kEnd, 2000, {500, {500, 600, 700}, 1000}},
    {"an untimed unit is left", {{500, {500, kNo, 700}}}, 0, 1, 600, {500, {500, kNo, 700}}},
    {"untimed units are passed over", {{500, {500, kNo, 700}}}, 0, 2, 400, {500, {500, kNo, 500}}},
    {"no end: next line", {{500, {500, 600}}, {0, {}}, {900, {}}}, 0, 1, 1500, {500, {500, 900}}},
    {"the last line's last unit is free", {{500, {500, 600}}}, 0, 1, 50000, {500, {500, 50000}}},
    {"after the end before", {{300, {300}, 320}, {400, {400}, 450}}, 1, 0, 100, {320, {320}, 450}},
    {"the default split moves the time only", {{200, {}}}, 0, 0, 150, {150, {}}},
    {"the default split has no other time", {{200, {}}}, 0, 1, 300, {200, {}}},
    {"the default split has no end", {{200, {}}}, 0, kEnd, 300, {200, {}}},
    {"no such unit", kThree, 1, 3, 750, {500, {500, 600, 700}, 800}},
    {"no such line", kThree, 3, 0, 750, {}},
    {"a later line before: stays", {{600, {}}, {500, {500, 700}}}, 1, 0, 300, {500, {500, 700}}},
    {"nor holds back", {{600, {}}, {500, {500, 700}}}, 1, 0, 650, {650, {650, 700}}},
    {"not before the song", {{500, {500, 700}}}, 0, 0, -40, {0, {0, 700}}},
};

TEST(UnitRetimeTest, MovesOneUnitBetweenItsNeighboursAsOneStep) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        Document document;
        LyricList& lyrics = document.lyrics;
        for (const Line& line : c.lines) {
            const int i = lyrics.add();
            lyrics.setLyricText(
                i, line.starts.empty() ? test::Sj("あい") : JoinedText(Units(line).units));
            lyrics.setTimeText(i, FormatTimeText(line.time * 10));
            lyrics.setUnits(i, Units(line));
        }
        std::vector<LyricLine> expected = lyrics.lines();
        const std::vector<LyricLine> before = expected;
        if (c.line >= 0 && c.line < lyrics.count()) {
            expected[c.line].timeText = FormatTimeText(c.after.time * 10);
            expected[c.line].units = Units(c.after);
        }

        c.unit == kEnd ? RetimeLineEnd(document, c.line, c.centis)
                       : RetimeUnit(document, c.line, c.unit, c.centis);

        bool changed = false;
        for (int i = 0; i < lyrics.count(); ++i) {
            EXPECT_EQ(lyrics.line(i).timeText, expected[i].timeText) << i;
            EXPECT_TRUE(lyrics.line(i).units == expected[i].units) << i;
            changed = changed || !(expected[i].units == before[i].units) ||
                      expected[i].timeText != before[i].timeText;
        }
        ASSERT_EQ(document.history.canUndo(), changed);
        if (!changed) continue;
        EXPECT_EQ(document.history.undoCaption(),
                  c.unit == kEnd ? "行末の時間の変更" : "文字の時間の変更");
        document.history.undo();
        EXPECT_FALSE(document.history.canUndo());
        EXPECT_EQ(lyrics.line(c.line).timeText, before[c.line].timeText);
        EXPECT_TRUE(lyrics.line(c.line).units == before[c.line].units);
    }
}

}  // namespace
}  // namespace obrin
