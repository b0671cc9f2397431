#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace obrin {

// A decimal integer as lyric files write it: leading blanks and a sign are
// allowed, then digits only, within 32 bits. std::nullopt otherwise.
[[nodiscard]] std::optional<std::int32_t> ParseDecimalInteger(std::string_view text);

// The time of a tag (the text between its brackets) in milliseconds, or -1.
// Up to three ":"-separated fields, minutes, seconds and F; absent fields are
// 0 and anything after a third ":" is ignored. F is hundredths below 100 and
// milliseconds from 100 on. An empty or non-integer field, or a time beyond
// the 32-bit range, gives -1. Fields are not range-checked: "00:75:00" is
// 75 s.
[[nodiscard]] std::int32_t ParseTimeTag(std::string_view tag);

}  // namespace obrin
