#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/lyric_list.h"

namespace obrin {

// The largest shift the user may ask for, either way: an hour.
inline constexpr std::int32_t kLongestShiftMs = 3'600'000;

// Reads the shift the user typed: whole milliseconds, "-" for earlier, "+"
// allowed for later, spaces around ignored, at most kLongestShiftMs either
// way. std::nullopt for anything else.
[[nodiscard]] std::optional<std::int32_t> ParseShiftMs(const std::string& text);

// Moves the times of `lines` by `ms`; a time that would fall below 0 becomes
// 0. Every time is read before any changes, so a line whose time cannot be
// read throws ConversionError and leaves all lines as they were.
void ShiftLineTimes(LyricList& lyrics, const std::vector<int>& lines, std::int32_t ms);

}  // namespace obrin
