#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace obrin {

// The encodings a text input may come in. Auto lets the detection decide.
enum class TextEncoding { Auto, ShiftJis, Utf8, Utf16, EucJp };

// The names the command line and the settings use: "auto", "shift-jis",
// "utf-8", "utf-16", "euc-jp".
[[nodiscard]] std::string_view EncodingName(TextEncoding encoding);
[[nodiscard]] std::optional<TextEncoding> EncodingFromName(std::string_view name);

// The detection rules, in order, deterministic so that a file the editor wrote
// is never taken for another encoding:
//   1. a byte order mark decides (UTF-8, UTF-16 LE or BE);
//   2. an even number of bytes whose NULs fall in every other byte is UTF-16
//      (at least four NULs and one two-byte unit in eight with one on the same
//      side, and four times as many there as on the other side, where
//      characters such as "一" put theirs), its byte order as DecodeText
//      guesses it;
//   3. valid UTF-8 holding a byte above 0x7F is UTF-8;
//   4. well-formed Shift-JIS (every lead byte followed by a trail byte) is
//      Shift-JIS;
//   5. well-formed EUC-JP is EUC-JP;
//   6. anything else is kept as Shift-JIS.
// Plain ASCII falls to rule 4. Never returns Auto.
[[nodiscard]] TextEncoding DetectEncoding(std::string_view bytes);

[[nodiscard]] bool IsWellFormedSjis(std::string_view bytes);
[[nodiscard]] bool IsWellFormedEucJp(std::string_view bytes);

// Input that cannot be decoded in its encoding (a UTF-16 text of odd length,
// bytes that are not UTF-8, a NUL inside decoded text). The message is for
// the user (UTF-8).
class TextDecodeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What stands for a character that code page 932 lacks: "・" (81 45).
inline constexpr std::string_view kUnmappableReplacement = "\x81\x45";

// Text converted to the document's Shift-JIS (code page 932).
struct DecodedText {
    std::string sjis{};  // each character without a CP932 form is kUnmappableReplacement
    TextEncoding encoding = TextEncoding::ShiftJis;  // as read; never Auto
    // The characters that were replaced, each once, in order of appearance.
    std::vector<char32_t> unmappable{};
};

// Decodes `bytes` in `encoding` (detected when Auto) and converts them to
// CP932. Shift-JIS is kept byte for byte, NULs included, as the lyrics rules
// expect. A byte order mark is dropped. Forced UTF-16 without a byte order
// mark is read little-endian unless its zero bytes say big-endian. Throws
// TextDecodeError.
[[nodiscard]] DecodedText DecodeText(std::string_view bytes, TextEncoding encoding);

// UTF-8 (the GUI's and the command line's text) to CP932, with the same
// replacement. Throws TextDecodeError for bytes that are not UTF-8.
[[nodiscard]] DecodedText Utf8ToCp932(std::string_view utf8);

// "「é」(U+00E9) ほか2文字はShift-JISで表せません": the first character by name,
// then how many other characters (each counted once) share its fate.
[[nodiscard]] std::string UnmappableMessage(const std::vector<char32_t>& unmappable);
// The same message asking whether to go on with "・" in their place.
[[nodiscard]] std::string ReplacementQuestion(const std::vector<char32_t>& unmappable);

// Decides whether a text that holds characters without a CP932 form is taken
// with "・" in their place (true) or the input is abandoned (false). The
// editor asks ReplacementQuestion; obrin-cli answers from --replace.
using ReplacementConsent = std::function<bool(const std::vector<char32_t>& unmappable)>;

}  // namespace obrin
