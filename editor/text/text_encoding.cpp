#include "text/text_encoding.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <system_error>

#include "base/iconv_converter.h"
#include "base/sjis_codec.h"
#include "text/sjis_text.h"

namespace obrin {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::string_view kReplacementChar = "\xEF\xBF\xBD";  // U+FFFD

struct EncodingNameEntry {
    TextEncoding encoding;
    std::string_view name;
};
constexpr EncodingNameEntry kEncodingNames[] = {
    {TextEncoding::Auto, "auto"},    {TextEncoding::ShiftJis, "shift-jis"},
    {TextEncoding::Utf8, "utf-8"},   {TextEncoding::Utf16, "utf-16"},
    {TextEncoding::EucJp, "euc-jp"},
};

bool IsEucByte(unsigned char b) {
    return b >= 0xA1 && b <= 0xFE;
}

bool HasNonAscii(std::string_view bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

std::string ByteOffsetText(std::size_t offset) {
    return std::to_string(offset + 1) + "バイト目";
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0)
        throw TextDecodeError("UTF-16のテキストのバイト数が奇数です(" +
                              std::to_string(bytes.size()) + "バイト)");
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        char32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            throw TextDecodeError("UTF-16として不正なサロゲートがあります(" + ByteOffsetText(i) +
                                  ")");
        }
        AppendUtf8(out, cp);
    }
    return out;
}

// Big-endian text of mostly Latin or ASCII characters has its zero bytes at
// even offsets.
bool LooksBigEndian(std::string_view bytes) {
    std::size_t evenZeros = 0, oddZeros = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\0') ++(i % 2 == 0 ? evenZeros : oddZeros);
    return evenZeros > oddZeros;
}

// UTF-16 without a byte order mark: the characters of the ASCII range that
// every lyrics file holds (digits, brackets, line ends) put a NUL in every
// other byte, nearly all on the same side. Text in the other encodings holds no
// NUL, or only a stray one.
bool LooksLikeUtf16(std::string_view bytes) {
    if (bytes.size() < 4 || bytes.size() % 2 != 0) return false;
    std::size_t evenZeros = 0, oddZeros = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\0') ++(i % 2 == 0 ? evenZeros : oddZeros);
    const std::size_t more = std::max(evenZeros, oddZeros);
    const std::size_t fewer = std::min(evenZeros, oddZeros);
    const std::size_t units = bytes.size() / 2;
    return more >= 4 && more * 8 >= units && fewer * 4 <= more;
}

// EUC-JP through the table with the Microsoft extensions (NEC and IBM rows),
// which is what Japanese Windows tools write. A code the table lacks becomes
// U+FFFD, which then counts as a character without a CP932 form.
std::string EucJpToUtf8(std::string_view bytes) {
    std::optional<IconvConverter> cd;
    try {
        cd.emplace("UTF-8", "EUC-JP-MS");
    } catch (const std::system_error&) {
        throw TextDecodeError("EUC-JPの変換表が使えません");
    }
    std::string out(bytes.size() * 2 + 16, '\0');
    std::size_t used = 0;
    std::string_view rest = bytes;
    while (!rest.empty()) {
        if (cd->convert(rest, out, used) == 0) break;
        out.replace(used, kReplacementChar.size(), kReplacementChar);
        used += kReplacementChar.size();
        // Skip the whole bad character, but never an ASCII byte after it.
        const auto lead = static_cast<unsigned char>(rest[0]);
        std::size_t skip = lead == 0x8F ? 3 : lead == 0x8E || IsEucByte(lead) ? 2 : 1;
        skip = std::min(skip, rest.size());
        for (std::size_t i = 1; i < skip; ++i) {
            if (static_cast<unsigned char>(rest[i]) < 0x80) {
                skip = i;
                break;
            }
        }
        rest.remove_prefix(skip);
    }
    out.resize(used);
    return out;
}

DecodedText FromUtf8(std::string_view utf8, TextEncoding encoding) {
    if (const std::size_t nul = utf8.find('\0'); nul != std::string_view::npos)
        throw TextDecodeError("テキストの途中にNUL文字があります(" + ByteOffsetText(nul) + ")");
    DecodedText decoded = Utf8ToCp932(utf8);
    decoded.encoding = encoding;
    return decoded;
}

std::string CodePointName(char32_t cp) {
    std::string character;
    AppendUtf8(character, cp);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
    return "「" + character + "」(" + code + ")";
}

}  // namespace

std::string_view EncodingName(TextEncoding encoding) {
    for (const auto& entry : kEncodingNames)
        if (entry.encoding == encoding) return entry.name;
    return "auto";
}

std::optional<TextEncoding> EncodingFromName(std::string_view name) {
    for (const auto& entry : kEncodingNames)
        if (entry.name == name) return entry.encoding;
    return std::nullopt;
}

bool IsWellFormedSjis(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!IsSjisLeadByte(static_cast<unsigned char>(bytes[i]))) continue;
        if (i + 1 == bytes.size() || !IsSjisTrailByte(static_cast<unsigned char>(bytes[i + 1])))
            return false;
        ++i;
    }
    return true;
}

bool IsWellFormedEucJp(std::string_view bytes) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char b = at(i);
        if (b < 0x80) {
            ++i;
        } else if (b == 0x8E) {  // half-width katakana
            if (i + 1 >= bytes.size() || at(i + 1) < 0xA1 || at(i + 1) > 0xDF) return false;
            i += 2;
        } else if (b == 0x8F) {  // JIS X 0212
            if (i + 2 >= bytes.size() || !IsEucByte(at(i + 1)) || !IsEucByte(at(i + 2)))
                return false;
            i += 3;
        } else if (IsEucByte(b)) {
            if (i + 1 >= bytes.size() || !IsEucByte(at(i + 1))) return false;
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

TextEncoding DetectEncoding(std::string_view bytes) {
    if (StartsWith(bytes, kUtf8Bom)) return TextEncoding::Utf8;
    if (StartsWith(bytes, kUtf16LeBom) || StartsWith(bytes, kUtf16BeBom))
        return TextEncoding::Utf16;
    if (LooksLikeUtf16(bytes)) return TextEncoding::Utf16;
    if (HasNonAscii(bytes) && IsValidUtf8(bytes)) return TextEncoding::Utf8;
    if (IsWellFormedSjis(bytes)) return TextEncoding::ShiftJis;
    if (IsWellFormedEucJp(bytes)) return TextEncoding::EucJp;
    return TextEncoding::ShiftJis;
}

DecodedText DecodeText(std::string_view bytes, TextEncoding encoding) {
    if (encoding == TextEncoding::Auto) encoding = DetectEncoding(bytes);
    switch (encoding) {
        case TextEncoding::Auto:
        case TextEncoding::ShiftJis:
            return DecodedText{.sjis = std::string(bytes), .encoding = TextEncoding::ShiftJis};
        case TextEncoding::Utf8:
            if (StartsWith(bytes, kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
            return FromUtf8(bytes, encoding);
        case TextEncoding::Utf16: {
            bool bigEndian;
            if (StartsWith(bytes, kUtf16LeBom) || StartsWith(bytes, kUtf16BeBom)) {
                bigEndian = StartsWith(bytes, kUtf16BeBom);
                bytes.remove_prefix(2);
            } else {
                bigEndian = LooksBigEndian(bytes);
            }
            return FromUtf8(Utf16ToUtf8(bytes, bigEndian), encoding);
        }
        case TextEncoding::EucJp:
            return FromUtf8(EucJpToUtf8(bytes), encoding);
    }
    return DecodedText{.sjis = std::string(bytes), .encoding = TextEncoding::ShiftJis};
}

DecodedText Utf8ToCp932(std::string_view utf8) {
    DecodedText decoded{.encoding = TextEncoding::Utf8};
    try {
        decoded.sjis = Utf8ToSjisReplacing(utf8, kUnmappableReplacement, decoded.unmappable);
    } catch (const SjisError& e) {
        throw TextDecodeError(e.what());
    }
    return decoded;
}

std::string UnmappableMessage(const std::vector<char32_t>& unmappable) {
    if (unmappable.empty()) return {};
    std::string message = CodePointName(unmappable.front());
    if (unmappable.size() > 1) message += " ほか" + std::to_string(unmappable.size() - 1) + "文字";
    return message + "はShift-JISで表せません";
}

std::string ReplacementQuestion(const std::vector<char32_t>& unmappable) {
    return UnmappableMessage(unmappable) + "\n「・」に置き換えて続けますか?";
}

}  // namespace obrin
