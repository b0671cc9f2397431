#include "document/time_shift.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "base/time_text.h"

namespace obrin {

std::optional<std::int32_t> ParseShiftMs(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    const auto last = text.find_last_not_of(' ');
    std::string_view digits(text.data() + first, last - first + 1);
    if (digits.front() == '+') digits.remove_prefix(1);
    std::int64_t ms = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), ms);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty() ||
        ms < -kLongestShiftMs || ms > kLongestShiftMs) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(ms);
}

void ShiftLineTimes(LyricList& lyrics, const std::vector<int>& lines, std::int32_t ms) {
    std::vector<std::int32_t> times;
    times.reserve(lines.size());
    for (int line : lines) times.push_back(ParseTimeText(lyrics.line(line).timeText));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::int64_t shifted = std::clamp<std::int64_t>(
            std::int64_t{times[i]} + ms, 0, std::numeric_limits<std::int32_t>::max());
        lyrics.setTimeText(lines[i], FormatTimeText(static_cast<std::int32_t>(shifted)));
    }
}

}  // namespace obrin
