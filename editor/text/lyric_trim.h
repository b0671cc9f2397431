#pragma once

#include <string>
#include <string_view>

namespace obrin {

// A pasted line without its surrounding blanks: every byte 0x00-0x20 goes from
// both ends; then, if more than two bytes are left, ideographic spaces (81 40)
// go from the start. A lone ideographic space is kept, and ideographic spaces
// at the end always are.
[[nodiscard]] std::string TrimLyricLine(std::string_view line);

}  // namespace obrin
