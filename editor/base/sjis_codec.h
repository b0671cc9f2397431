#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace obrin {

// Conversion between the core's Shift-JIS (code page 932) lyric bytes and the
// UTF-8 text of the GUI and the command line, through glibc's "CP932" table.
//
// That table decodes the characters whose JIS and Microsoft forms differ to
// the Microsoft forms (81 60 -> U+FF5E ～, 81 61 -> U+2225 ∥, 81 7C -> U+FF0D
// －, 81 CA -> U+FFE2 ￢), and encodes both forms to the same bytes, so text
// typed on a system that prefers U+301C 〜, U+2016 ‖ or U+2212 − still
// converts. NEC-selected IBM extensions (rows ED/EE) decode like their IBM
// twins (FA-FC), which is where they are encoded back to.

// The first byte of a two-byte character: 0x81-0x9F or 0xE0-0xFC.
[[nodiscard]] constexpr bool IsSjisLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
// A byte that may follow a lead byte: 0x40-0xFC except 0x7F.
[[nodiscard]] constexpr bool IsSjisTrailByte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// A character that code page 932 cannot hold, or input that is not UTF-8.
// The message (UTF-8) names the character and its code point, for the user.
class SjisError : public std::runtime_error {
  public:
    SjisError(const std::string& message, char32_t codePoint)
        : std::runtime_error(message), codePoint_(codePoint) {}
    // The offending character; for bytes that are not UTF-8, the first byte.
    [[nodiscard]] char32_t codePoint() const { return codePoint_; }

  private:
    char32_t codePoint_;
};

// Never substitutes: a character without a CP932 form throws SjisError.
[[nodiscard]] std::string Utf8ToSjis(std::string_view utf8);

// The same conversion, but each character without a CP932 form becomes
// `replacement` (Shift-JIS bytes) and is appended to `unmappable` the first
// time it occurs. Still throws SjisError for bytes that are not UTF-8.
[[nodiscard]] std::string Utf8ToSjisReplacing(std::string_view utf8, std::string_view replacement,
                                              std::vector<char32_t>& unmappable);

// Never throws for content: each byte sequence that is not CP932 (including a
// lead byte cut off at the end) becomes U+FFFD. NUL bytes pass through.
[[nodiscard]] std::string SjisToUtf8(std::string_view sjis);

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// values above U+10FFFF).
[[nodiscard]] bool IsValidUtf8(std::string_view text);

}  // namespace obrin
