#pragma once

#include <string>

#include "base/sjis_codec.h"
#include "document/timing_units.h"

namespace obrin::test {

// Units as "あ@1000|い@1030|+@1050" ("+": a further mora of a reading, no
// "@" when untimed), then "/end" when the line has one: a line's split and
// times in one comparable, readable string.
inline std::string ShownUnits(const LineUnits& units) {
    std::string shown;
    for (const TimingUnit& unit : units.units) {
        if (!shown.empty()) shown += '|';
        shown += unit.text.empty() ? "+" : SjisToUtf8(unit.text);
        if (unit.start != kNoUnitTime) shown += "@" + std::to_string(unit.start);
    }
    if (units.end != kNoUnitTime) shown += "/" + std::to_string(units.end);
    return shown;
}

}  // namespace obrin::test
