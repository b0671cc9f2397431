#include "text/time_tag.h"

#include <array>
#include <limits>

namespace obrin {

std::optional<std::int32_t> ParseDecimalInteger(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    if (pos == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t ParseTimeTag(std::string_view tag) {
    std::array<std::int64_t, 3> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t colon = tag.find(':');
        const auto value = ParseDecimalInteger(tag.substr(0, colon));
        if (!value) return -1;
        fields[i] = *value;
        if (colon == std::string_view::npos) break;
        tag.remove_prefix(colon + 1);
    }
    const std::int64_t f = fields[2] < 100 ? fields[2] * 10 : fields[2];
    const std::int64_t ms = fields[0] * 60000 + fields[1] * 1000 + f;
    if (ms < std::numeric_limits<std::int32_t>::min() ||
        ms > std::numeric_limits<std::int32_t>::max())
        return -1;
    return static_cast<std::int32_t>(ms);
}

}  // namespace obrin
