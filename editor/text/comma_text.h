#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace obrin {

// The comma text that the tag-information file keeps InfoLines in.
//
// Writing: no lines give an empty value, a single empty line gives "", other
// lists are joined with commas, and a line holding a blank or control byte
// (0x00-0x20), a double quote or a comma is quoted with inner quotes doubled.
[[nodiscard]] std::string WriteCommaText(const std::vector<std::string>& lines);

// Reading: items are quoted (to the next lone quote, "" standing for one; to
// the end when unclosed) or bare (to the next comma or byte 0x20 and below);
// blanks around items and commas are skipped. A bare item ends at a blank, so
// an unquoted "a b" reads as two lines. A comma at the very end stands for a
// last, empty line, so every list the writer makes reads back the same.
[[nodiscard]] std::vector<std::string> ReadCommaText(std::string_view value);

}  // namespace obrin
