#include "base/sjis_codec.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>

#include "base/iconv_converter.h"

namespace obrin {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

struct DecodedChar {
    char32_t codePoint;
    std::size_t length;
};

// One well-formed UTF-8 character (no overlongs, surrogates or values above
// U+10FFFF), or nothing.
std::optional<DecodedChar> DecodeUtf8(std::string_view s) {
    if (s.empty()) return std::nullopt;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b0 = byte(0);
    std::size_t length;
    char32_t cp;
    if (b0 < 0x80) return DecodedChar{b0, 1};
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
    } else {
        return std::nullopt;
    }
    if (s.size() < length) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return std::nullopt;
    }
    return DecodedChar{cp, length};
}

std::string CodePointText(char32_t cp) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(cp));
    return buffer;
}

[[noreturn]] void ThrowAt(std::string_view rest) {
    if (const auto c = DecodeUtf8(rest)) {
        throw SjisError("「" + std::string(rest.substr(0, c->length)) + "」(" +
                            CodePointText(c->codePoint) + ")はShift-JISで表せない文字です",
                        c->codePoint);
    }
    const unsigned char b = static_cast<unsigned char>(rest.front());
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", b);
    throw SjisError(std::string("UTF-8として不正なバイト ") + hex + " があります", b);
}

// How many bytes one undecodable sequence covers: a lead byte takes a
// following trail byte with it, so a pair the table lacks is one U+FFFD, while
// a lead byte before ASCII does not swallow that character.
std::size_t BadSequenceLength(std::string_view rest) {
    const auto b0 = static_cast<unsigned char>(rest[0]);
    if (rest.size() >= 2 && IsSjisLeadByte(b0) &&
        IsSjisTrailByte(static_cast<unsigned char>(rest[1]))) {
        return 2;
    }
    return 1;
}

// Converts UTF-8 to CP932; `onUnmappable` is called with the rest of the text
// where a character (`c`) cannot be converted, and returns the bytes that
// stand for it, or throws.
template <typename OnUnmappable>
std::string ConvertUtf8ToSjis(std::string_view utf8, OnUnmappable onUnmappable) {
    IconvConverter cd("CP932", "UTF-8");
    // No character takes more bytes in CP932 than in UTF-8.
    std::string out(utf8.size(), '\0');
    std::size_t used = 0;
    std::string_view rest = utf8;
    while (!rest.empty()) {
        if (cd.convert(rest, out, used) == 0) break;
        const auto c = DecodeUtf8(rest);
        if (!c) ThrowAt(rest);
        const std::string_view stand = onUnmappable(rest, c->codePoint);
        if (out.size() - used < stand.size()) out.resize(used + stand.size() + utf8.size());
        out.replace(used, stand.size(), stand);
        used += stand.size();
        rest.remove_prefix(c->length);
    }
    out.resize(used);
    return out;
}

}  // namespace

std::string Utf8ToSjis(std::string_view utf8) {
    return ConvertUtf8ToSjis(
        utf8, [](std::string_view rest, char32_t) -> std::string_view { ThrowAt(rest); });
}

std::string Utf8ToSjisReplacing(std::string_view utf8, std::string_view replacement,
                                std::vector<char32_t>& unmappable) {
    return ConvertUtf8ToSjis(utf8, [&](std::string_view, char32_t cp) {
        if (std::find(unmappable.begin(), unmappable.end(), cp) == unmappable.end())
            unmappable.push_back(cp);
        return replacement;
    });
}

bool IsValidUtf8(std::string_view text) {
    while (!text.empty()) {
        const auto c = DecodeUtf8(text);
        if (!c) return false;
        text.remove_prefix(c->length);
    }
    return true;
}

std::string SjisToUtf8(std::string_view sjis) {
    // Input goes to iconv in slices: after each bad byte the conversion
    // restarts, and a call's cost may grow with the input it is handed
    // (sanitizers check the whole range), so a long text full of bad bytes
    // must not cost a pass over the rest of the text per bad byte.
    constexpr std::size_t kSlice = 4096;
    IconvConverter cd("UTF-8", "CP932");
    // Every input byte yields at most three output bytes (half-width katakana,
    // or U+FFFD for a bad byte), so the buffer normally never grows.
    std::string out(sjis.size() * 3, '\0');
    std::size_t used = 0;
    std::string_view rest = sjis;
    while (!rest.empty()) {
        std::string_view slice = rest.substr(0, kSlice);
        const bool lastSlice = slice.size() == rest.size();
        const std::size_t sliceSize = slice.size();
        const int error = cd.convert(slice, out, used);
        rest.remove_prefix(sliceSize - slice.size());
        if (error == 0) continue;
        // A character cut by the slice's end goes whole into the next slice.
        if (error == EINVAL && !lastSlice) continue;
        if (out.size() - used < kReplacement.size()) out.resize(used + kReplacement.size());
        out.replace(used, kReplacement.size(), kReplacement);
        used += kReplacement.size();
        rest.remove_prefix(BadSequenceLength(rest));
    }
    out.resize(used);
    return out;
}

}  // namespace obrin
