#include "playback/unit_markers.h"

#include <algorithm>
#include <cmath>

#include "document/document.h"
#include "document/karaoke_units.h"
#include "playback/waveform_viewport.h"

namespace obrin {

namespace {

// The share of the strip's height above the band, and the rows below it
// kept for the onset ticks.
constexpr double kBandTopShare = 0.6;
constexpr double kBelowBand = 7.0;

// The mora a further unit of a reading stands for: `morae` units after the
// one holding the reading's base.
std::string MoraOf(const RubyReading* reading, std::size_t morae) {
    if (reading == nullptr || morae >= reading->morae.size()) return {};
    return reading->morae[morae].text;
}

}  // namespace

std::vector<UnitTick> UnitTicks(const Document& document, int line) {
    const LyricList& lyrics = document.lyrics;
    if (line < 0 || line >= lyrics.count()) return {};
    const int lineTime = TimeTextCentis(lyrics.line(line).timeText);
    // An untimed line has no marker to stand under.
    if (lineTime <= 0) return {};
    const RubyIndex ruby(document.ruby());
    const LineUnits units = UnitsOf(lyrics.line(line), ruby);
    std::vector<UnitTick> ticks;
    const TimingUnit* base = nullptr;
    std::size_t further = 0;
    const auto add = [&](int unit, int centis, std::string label) {
        if (const auto range = UnitRange(lyrics, line, units, unit)) {
            ticks.push_back(
                {unit, static_cast<std::int32_t>(centis) * 10, std::move(label), *range});
        }
    };
    for (std::size_t i = 0; i < units.units.size(); ++i) {
        const TimingUnit& unit = units.units[i];
        if (!unit.text.empty()) {
            base = &unit;
            further = 0;
        } else {
            ++further;
        }
        if (unit.start == kNoUnitTime) continue;
        std::string label = unit.text;
        if (label.empty() && base != nullptr) {
            label = MoraOf(ruby.within(base->text, lineTime), further);
        }
        add(static_cast<int>(i), unit.start, std::move(label));
    }
    if (units.end != kNoUnitTime) add(kLineEndUnit, units.end, {});
    return ticks;
}

UnitTickBand UnitBandOf(int stripHeight) {
    return {.top = std::round(stripHeight * kBandTopShare), .bottom = stripHeight - kBelowBand};
}

int UnitTickNear(const std::vector<UnitTick>& ticks, const WaveformViewport& view, int stripHeight,
                 double x, double y, double tolerance) {
    if (y < UnitBandOf(stripHeight).top) return -1;
    int nearest = -1;
    double best = tolerance;
    for (int i = 0; i < static_cast<int>(ticks.size()); ++i) {
        const double distance = std::abs(view.xAt(ticks[i].ms / 1000.0) - x);
        if (distance <= best) {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}

std::int32_t UnitTickMsAt(const UnitTick& tick, const WaveformViewport& view, double x) {
    const double seconds = std::clamp(view.timeAt(x), 0.0, view.durationSeconds());
    const auto centis = static_cast<int>(std::lround(seconds * 100.0));
    return static_cast<std::int32_t>(tick.range.clamp(centis)) * 10;
}

}  // namespace obrin
