#include "playback/unit_markers.h"

#include <gtest/gtest.h>

#include "document/document.h"
#include "playback/waveform_viewport.h"
#include "sjis_lines.h"

namespace obrin {
namespace {

using test::Sj;

// Ticks as "0@5000:明日|E@7000" (E: the line's end).
std::string Shown(const std::vector<UnitTick>& ticks) {
    std::string shown;
    for (const UnitTick& tick : ticks) {
        shown += shown.empty() ? "" : "|";
        shown += (tick.unit == kLineEndUnit ? "E" : std::to_string(tick.unit)) + "@" +
                 std::to_string(tick.ms) + (tick.label.empty() ? "" : ":" + SjisToUtf8(tick.label));
    }
    return shown;
}

TEST(UnitMarkersTest, TicksOfTheTimedUnitsAndTheEnd) {
    Document document;
    document.setRuby({{.base = Sj("明日"), .morae = {{Sj("あ")}, {Sj("し")}, {Sj("た")}}}});
    document.lyrics.assign(test::SjLines({"明日は", "あい", "う", "君"}));
    document.lyrics.setTimeText(0, "00:05:00");
    document.lyrics.setUnits(
        0,
        {.units = {{Sj("明日"), 500}, {"", 550}, {"", kNoUnitTime}, {Sj("は"), 650}}, .end = 700});
    document.lyrics.setTimeText(1, "00:10:00");
    document.lyrics.setTimeText(3, "00:12:00");
    document.lyrics.setUnits(3, {.units = {{Sj("君"), 1200}, {"", 1230}}});
    const std::pair<int, const char*> cases[] = {
        {0, "0@5000:明日|1@5500:し|3@6500:は|E@7000"},
        {1, "0@10000:あ"},          // the default split: its first unit only
        {2, ""},                    // untimed
        {3, "0@12000:君|1@12300"},  // a reading that is gone leaves no text
        {4, ""},
        {-1, ""},
    };
    for (const auto& [line, ticks] : cases)
        EXPECT_EQ(Shown(UnitTicks(document, line)), ticks) << line;
    EXPECT_EQ(UnitTicks(document, 0)[3].range, (UnitTimeRange{.low = 650, .high = 1000}));
}

TEST(UnitMarkersTest, PressesAndDragsOfTicks) {
    WaveformViewport view;
    view.setSong(10.0, 0.005);
    view.setWidth(1000);  // 10 ms a pixel
    const std::vector<UnitTick> ticks = {
        {.unit = 0, .ms = 1000}, {.unit = 1, .ms = 1000}, {.unit = kLineEndUnit, .ms = 1100}};
    // The band of a 72-pixel strip runs from 43 to 65.
    const struct {
        double x, y;
        int tick;
    } presses[] = {{100, 50, 1}, {109, 43, 2}, {100, 42, -1}, {104.5, 50, -1}, {106, 70, 2}};
    for (const auto& p : presses) {
        EXPECT_EQ(UnitTickNear(ticks, view, 72, p.x, p.y, 4), p.tick) << p.x << "," << p.y;
    }

    const UnitTick held{.range = {.low = 50, .high = 70}};
    const UnitTick free{.range = {.low = 50}};
    const struct {
        const UnitTick& tick;
        double x;
        std::int32_t ms;
    } drags[] = {{held, 60.6, 610}, {held, 60.4, 600},   {held, 90, 700},
                 {held, -10, 500},  {free, 2000, 10000}, {free, 30, 500}};
    for (const auto& d : drags) EXPECT_EQ(UnitTickMsAt(d.tick, view, d.x), d.ms) << d.x;
}

}  // namespace
}  // namespace obrin
