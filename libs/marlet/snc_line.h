#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace obrin::marlet {

// One record of the ".snc" file: A2 E2, the time digits, A2 D0, the text
// and CR LF. The digits are minutes (at least 4), seconds (2) and tenths of
// a second followed by 0; a negative time gives "00000000".
std::string FormatSncLine(std::int32_t milliseconds, std::string_view text);

// The display grade of a line: 0 fits both displays, 1 only the player's
// body, 2 neither.
std::int32_t GradeLine(std::string_view text);

}  // namespace obrin::marlet
