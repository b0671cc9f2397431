#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace obrin::tessary {

// One timed line: the lyric text with CR LF already appended, and its time.
struct LyricItem {
    std::string text;
    std::int32_t milliseconds = 0;
};

// The ID3v2.3 tag the player reads the lyrics from: a header and one "TXXX"
// frame whose value holds the item count, every item's whole seconds, a
// table of entry lengths and the entries ("00", A2 D0, the text), then ten
// zero bytes. The player reads two header fields in its own way, and they
// are written that way rather than as ID3 prescribes: the tag size is three
// times the summed text length, not syncsafe, and the frame size is a
// 16-bit count.
//
// nullopt when the items are beyond the format's limits: an item's text
// over 2043 bytes or the whole tag over 32000 bytes.
std::optional<std::string> BuildLyricTag(const std::vector<LyricItem>& items);

}  // namespace obrin::tessary
