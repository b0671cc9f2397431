#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/time_text.h"
#include "document/lyric_list.h"
#include "sjis_lines.h"

namespace obrin::test {

// A lyric line timed at `centis` (0: never marked) whose units are written as
// ShownUnits shows them: "星@200|+@210|が@220/260" ("+": a further mora, no
// "@" when untimed, "/end" when the line has an end). Empty `units` leaves
// the line without units of its own; its text is then `text`.
inline LyricLine KaraokeLine(std::string_view text, int centis, std::string_view units = {}) {
    LyricLine line{.lyricText = Sj(text), .timeText = FormatTimeText(centis * 10)};
    std::string_view rest = units;
    if (const std::size_t slash = rest.find('/'); slash != std::string_view::npos) {
        line.units.end = std::stoi(std::string(rest.substr(slash + 1)));
        rest = rest.substr(0, slash);
    }
    while (!rest.empty()) {
        const std::size_t bar = rest.find('|');
        const std::string_view unit = rest.substr(0, bar);
        rest = bar == std::string_view::npos ? std::string_view{} : rest.substr(bar + 1);
        const std::size_t at = unit.find('@');
        const std::string_view shown = unit.substr(0, at);
        line.units.units.push_back({.text = shown == "+" ? std::string{} : Sj(shown),
                                    .start = at == std::string_view::npos
                                                 ? kNoUnitTime
                                                 : std::stoi(std::string(unit.substr(at + 1)))});
    }
    return line;
}

}  // namespace obrin::test
