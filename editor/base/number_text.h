#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace obrin {

// Strict conversions of user-visible number texts, with the messages the
// editor shows when a text is not a number.

std::string InvalidIntegerMessage(std::string_view text);
std::string InvalidFloatMessage(std::string_view text);

// A decimal integer: optional sign, digits only, within 32 bits.
// Throws ConversionError otherwise.
[[nodiscard]] std::int32_t ParseIntegerText(std::string_view text);

// A decimal number with an optional sign, fraction and exponent; surrounding
// blanks are allowed. Throws ConversionError otherwise (no hex, inf or nan).
[[nodiscard]] double ParseFloatText(std::string_view text);

}  // namespace obrin
