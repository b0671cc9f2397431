#include "text/sjis_text.h"

namespace obrin {

std::size_t FindSjis(std::string_view text, std::string_view needle) {
    if (needle.empty()) return 0;
    for (std::size_t pos = 0; pos < text.size(); pos += SjisCharLength(text, pos)) {
        if (text.compare(pos, needle.size(), needle) == 0) return pos;
    }
    return std::string_view::npos;
}

}  // namespace obrin
