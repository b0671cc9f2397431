#include "base/time_text.h"

#include <cstdio>

#include "base/conversion_error.h"
#include "base/number_text.h"

namespace obrin {

std::string FormatTimeText(std::int32_t ms) {
    if (ms < 0) ms = 0;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2d:%.2d:%.2d", ms / 60000, (ms % 60000) / 1000,
                  (ms % 1000) / 10);
    return buf;
}

std::int32_t ParseTimeText(std::string_view text) {
    if (text.size() < 8) throw ConversionError(InvalidIntegerMessage(text));
    const std::int32_t mm = ParseIntegerText(text.substr(0, 2));
    const std::int32_t ss = ParseIntegerText(text.substr(3, 2));
    const std::int32_t cc = ParseIntegerText(text.substr(6, 2));
    return mm * 60000 + ss * 1000 + cc * 10;
}

}  // namespace obrin
