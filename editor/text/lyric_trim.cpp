#include "text/lyric_trim.h"

#include "text/sjis_text.h"

namespace obrin {
namespace {

bool IsBlankByte(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

}  // namespace

std::string TrimLyricLine(std::string_view line) {
    while (!line.empty() && IsBlankByte(line.front())) line.remove_prefix(1);
    while (!line.empty() && IsBlankByte(line.back())) line.remove_suffix(1);
    if (line.size() > 2) {
        while (StartsWith(line, kIdeographicSpace)) line.remove_prefix(kIdeographicSpace.size());
    }
    return std::string(line);
}

}  // namespace obrin
