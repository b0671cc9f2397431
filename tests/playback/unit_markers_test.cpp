#include "playback/unit_markers.h"

#include <gtest/gtest.h>

#include "document/document.h"
#include "document/unit_split.h"
#include "playback/waveform_viewport.h"
#include "sjis_lines.h"

namespace obrin {
namespace {

using test::Sj;

// Ticks as "0@5000:明日|E@7000" (E: the line's end), with the first tick's
// range after a space when asked for.
std::string Shown(const std::vector<UnitTick>& ticks) {
    std::string shown;
    for (const UnitTick& tick : ticks) {
        if (!shown.empty()) shown += '|';
        shown += tick.unit == kLineEndUnit ? std::string("E") : std::to_string(tick.unit);
        shown += "@" + std::to_string(tick.ms);
        if (!tick.label.empty()) shown += ":" + SjisToUtf8(tick.label);
    }
    return shown;
}

TimingUnit Unit(std::string_view text, int start) {
    return {Sj(text), start};
}

TEST(UnitMarkersTest, TicksOfTheTimedUnitsAndTheEnd) {
    Document document;
    RubyReading tomorrow{.base = Sj("明日")};
    for (const char* mora : {"あ", "し", "た"}) tomorrow.morae.push_back({Sj(mora)});
    document.setRuby({tomorrow});
    document.lyrics.assign(test::SjLines({"明日は", "あい", "う", "君"}));
    document.lyrics.setTimeText(0, "00:05:00");
    document.lyrics.setUnits(
        0, {.units = {Unit("明日", 500), Unit("", 550), Unit("", kNoUnitTime), Unit("は", 650)},
            .end = 700});
    document.lyrics.setTimeText(1, "00:10:00");
    document.lyrics.setTimeText(3, "00:12:00");
    document.lyrics.setUnits(3, {.units = {Unit("君", 1200), Unit("", 1230)}});

    struct Case {
        int line;
        const char* ticks;
    };
    const Case cases[] = {
        {0, "0@5000:明日|1@5500:し|3@6500:は|E@7000"},
        {1, "0@10000:あ"},          // the default split: its first unit only
        {2, ""},                    // untimed
        {3, "0@12000:君|1@12300"},  // a reading that is gone leaves no text
        {4, ""},
        {-1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Shown(UnitTicks(document, c.line)), c.ticks);
    }
    const std::vector<UnitTick> ticks = UnitTicks(document, 0);
    EXPECT_EQ(ticks[1].range, (UnitTimeRange{.low = 500, .high = 650}));
    EXPECT_EQ(ticks[3].range, (UnitTimeRange{.low = 650, .high = 1000}));
}

TEST(UnitMarkersTest, PressesTakeTheNearestTickInItsBand) {
    WaveformViewport view;
    view.setSong(10.0, 0.005);
    view.setWidth(1000);  // 10 ms a pixel
    const std::vector<UnitTick> ticks = {
        {.unit = 0, .ms = 1000}, {.unit = 1, .ms = 1000}, {.unit = kLineEndUnit, .ms = 1100}};
    const int height = 72;
    ASSERT_EQ(UnitBandOf(height).top, 43);
    ASSERT_EQ(UnitBandOf(height).bottom, 65);
    struct Case {
        double x;
        double y;
        int tick;
    };
    const Case cases[] = {
        {100, 50, 1},     // of a pile the later
        {109, 43, 2},     // the band's top row
        {100, 42, -1},    // above the band: the line's marker
        {104.5, 50, -1},  // out of reach of both
        {106, 70, 2},     // below the band, over the onsets
        {96, 60, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(UnitTickNear(ticks, view, height, c.x, c.y, 4), c.tick);
    }
    EXPECT_EQ(UnitTickNear({}, view, height, 100, 50, 4), -1);
}

TEST(UnitMarkersTest, DraggedTicksKeepToTheSongTheGridAndTheirRange) {
    WaveformViewport view;
    view.setSong(10.0, 0.005);
    view.setWidth(1000);
    const UnitTick held{.ms = 600, .range = {.low = 50, .high = 70}};
    const UnitTick free{.ms = 600, .range = {.low = 50}};
    struct Case {
        const UnitTick& tick;
        double x;
        std::int32_t ms;
    };
    const Case cases[] = {
        {held, 60, 600},  {held, 60.6, 610},   {held, 60.4, 600}, {held, 90, 700},
        {held, -10, 500}, {free, 2000, 10000}, {free, 30, 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(UnitTickMsAt(c.tick, view, c.x), c.ms);
    }
}

}  // namespace
}  // namespace obrin
