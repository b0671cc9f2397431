// Line cutting and the automatic expansion of pasted lyrics. The first byte
// picks the four paste options.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/lyrics_expansion.h"
#include "text/text_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    obrin::ExpansionOptions options;
    options.star = (data[0] & 1) != 0;
    options.nullLine = (data[0] & 2) != 0;
    options.lastLine = (data[0] & 4) != 0;
    options.info = (data[0] & 8) != 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    (void)obrin::ExpandLyrics(obrin::CutLines(text), options);
    return 0;
}
