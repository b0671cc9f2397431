#include "snc_line.h"

#include <cstdio>

#include "obrin/marlet.h"

namespace obrin::marlet {

std::string FormatSncLine(std::int32_t milliseconds, std::string_view text) {
    // The editor passes -1 for a line whose time it could not read; any
    // other negative time is just as meaningless to the player.
    const std::int32_t t = milliseconds < 0 ? 0 : milliseconds;
    const int minutes = t / 60000;
    const int seconds = t % 60000 / 1000;
    const int hundredths = t % 1000 / 100 * 10;
    char digits[40];
    std::snprintf(digits, sizeof digits, "%04d%02d%02d", minutes, seconds, hundredths);

    std::string line;
    line.reserve(text.size() + 16);
    line += "\xA2\xE2";
    line += digits;
    line += "\xA2\xD0";
    line += text;
    line += "\r\n";
    return line;
}

std::int32_t GradeLine(std::string_view text) {
    if (text.size() <= MARLET_REMOTE_WIDTH) return MARLET_FITS;
    if (text.size() <= MARLET_BODY_WIDTH) return MARLET_OVER_REMOTE;
    return MARLET_OVER_BODY;
}

}  // namespace obrin::marlet
