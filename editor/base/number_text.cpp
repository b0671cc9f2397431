#include "base/number_text.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "base/conversion_error.h"

namespace obrin {

std::string InvalidIntegerMessage(std::string_view text) {
    return std::string("'").append(text).append("' は有効な整数値ではありません");
}

std::string InvalidFloatMessage(std::string_view text) {
    return std::string("'").append(text).append("' は有効な浮動小数点値ではありません");
}

std::int32_t ParseIntegerText(std::string_view text) {
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
        throw ConversionError(InvalidIntegerMessage(text));
    }
    return value;
}

double ParseFloatText(std::string_view text) {
    std::string_view s = text;
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double value = 0;
    const auto [end, ec] =
        std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) {
        throw ConversionError(InvalidFloatMessage(text));
    }
    return value;
}

}  // namespace obrin
