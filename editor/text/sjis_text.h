#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/sjis_codec.h"

namespace obrin {

// Byte-level helpers for Shift-JIS (code page 932) lyric text. A search that
// knows about two-byte characters never reports a match that starts on the
// second byte of one: the second byte of 81 5B is "[", and 83 5D holds "]".

// Length of the character that starts at `pos`: 2 for a lead byte followed by
// another byte, else 1.
[[nodiscard]] inline std::size_t SjisCharLength(std::string_view text, std::size_t pos) {
    return IsSjisLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

// Position of the first occurrence of `needle` that starts on a character
// boundary, or npos.
[[nodiscard]] std::size_t FindSjis(std::string_view text, std::string_view needle);

[[nodiscard]] inline bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The repeat marks, in the order the expansion processes them.
inline constexpr std::string_view kMarkKome = "\x81\xA6";          // ※
inline constexpr std::string_view kMarkBlackStar = "\x81\x9A";     // ★
inline constexpr std::string_view kMarkWhiteStar = "\x81\x99";     // ☆
inline constexpr std::string_view kIdeographicSpace = "\x81\x40";  // 　

}  // namespace obrin
