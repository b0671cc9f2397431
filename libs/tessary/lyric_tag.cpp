#include "lyric_tag.h"

#include "obrin/tessary.h"

namespace obrin::tessary {
namespace {

constexpr std::size_t kFrameValueStart = 35;
constexpr std::size_t kPadding = 10;
constexpr std::size_t kEntryFraming = 4;  // "00" and the marker A2 D0

void PutBigEndian16(std::string& tag, std::size_t at, std::uint32_t value) {
    tag[at] = static_cast<char>((value >> 8) & 0xFF);
    tag[at + 1] = static_cast<char>(value & 0xFF);
}

void AppendLittleEndian32(std::string& tag, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) tag += static_cast<char>((value >> shift) & 0xFF);
}

void AppendLittleEndian16(std::string& tag, std::uint32_t value) {
    tag += static_cast<char>(value & 0xFF);
    tag += static_cast<char>((value >> 8) & 0xFF);
}

}  // namespace

std::optional<std::string> BuildLyricTag(const std::vector<LyricItem>& items) {
    // Check the limits before building, so a huge list costs no memory.
    std::size_t end = kFrameValueStart;  // E, where the padding begins
    std::size_t total = 0;
    for (const LyricItem& item : items) {
        if (item.text.size() > TESSARY_MAX_ITEM_BYTES) return std::nullopt;
        end += 8 + kEntryFraming + item.text.size();
        total += item.text.size();
        if (end + kPadding > TESSARY_MAX_TAG_BYTES) return std::nullopt;
    }

    std::string tag(kFrameValueStart, '\0');
    tag.reserve(end + kPadding);
    for (const LyricItem& item : items) {
        // Whole seconds, truncated towards zero as the player expects.
        AppendLittleEndian32(tag, static_cast<std::uint32_t>(item.milliseconds / 1000));
    }
    for (const LyricItem& item : items) {
        tag += std::string(2, '\0');
        AppendLittleEndian16(tag, static_cast<std::uint32_t>(item.text.size() + kEntryFraming));
    }
    for (const LyricItem& item : items) {
        tag += "00\xA2\xD0";
        tag += item.text;
    }
    tag += std::string(kPadding, '\0');

    // The header: "ID3", version 2.3.0, no flags, and the size as the player
    // reads it.
    tag.replace(0, 8, std::string("ID3\x03\x00\x00\x00\x00", 8));
    PutBigEndian16(tag, 8, static_cast<std::uint32_t>(3 * total));
    // The frame header: "TXXX", its 16-bit content size and the read-only
    // flag.
    tag.replace(10, 4, "TXXX");
    PutBigEndian16(tag, 16, static_cast<std::uint32_t>(end - 20));
    tag[18] = '\x20';
    // The value: ISO-8859-1, the player's description with its terminating
    // zero, the byte count after the encoding byte, and the item count.
    tag.replace(21, 6, std::string("\x53\x4F\x87\xD6\x12\x00", 6));
    std::string counts;
    AppendLittleEndian32(counts, static_cast<std::uint32_t>(end - 21));
    AppendLittleEndian32(counts, static_cast<std::uint32_t>(items.size()));
    tag.replace(27, 8, counts);
    return tag;
}

}  // namespace obrin::tessary
