#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace obrin {

// Times inside the editor are signed 32-bit milliseconds. A line stores only
// its TimeText "MM:SS:CC" (minutes, seconds, hundredths, each at least two
// digits), so every stored time is a multiple of 10 ms.

// Negative times are written as 0. Every division truncates: 59,999 ms is
// "00:59:99". 100 minutes and more give three or more minute digits.
std::string FormatTimeText(std::int32_t ms);

// Reads the digit pairs at positions 1-2, 4-5 and 7-8; the separators and
// anything after position 8 are not examined. Throws ConversionError when the
// text is shorter than 8 characters or a pair is not a decimal number, which is
// what a time of 100 minutes or more gives.
[[nodiscard]] std::int32_t ParseTimeText(std::string_view text);

}  // namespace obrin
