#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/sjis_codec.h"

namespace obrin::test {

// Tests are written in UTF-8 and compared on the Shift-JIS bytes the core
// works on.
inline std::string Sj(std::string_view utf8) {
    return Utf8ToSjis(utf8);
}

inline std::vector<std::string> SjLines(std::initializer_list<std::string_view> utf8Lines) {
    std::vector<std::string> lines;
    for (const auto line : utf8Lines) lines.push_back(Sj(line));
    return lines;
}

inline std::vector<std::string> Utf8Lines(const std::vector<std::string>& sjisLines) {
    std::vector<std::string> lines;
    for (const auto& line : sjisLines) lines.push_back(SjisToUtf8(line));
    return lines;
}

}  // namespace obrin::test
