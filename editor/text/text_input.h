#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "text/text_encoding.h"

namespace obrin {

class Dialogs;

// A text input larger than this is refused: lyrics are a few kilobytes, and a
// file this size is not lyrics (a song chosen by mistake, say).
inline constexpr std::uintmax_t kTextInputLimit = 32 * 1024 * 1024;

enum class TextReadStatus {
    Read,        // `sjis` holds the text
    Unreadable,  // the file could not be opened or read; `error` says why
    Rejected,    // too large, or not text in its encoding; `message` says why
    Declined,    // it held characters without a CP932 form and the consent said no
};

struct TextRead {
    TextReadStatus status = TextReadStatus::Read;
    std::string sjis;     // Read: the text in Shift-JIS (code page 932)
    std::string message;  // Unreadable, Rejected: the cause, for the user (UTF-8)
    std::error_code error;
    TextEncoding encoding = TextEncoding::ShiftJis;  // Read: as read
};

// Every text input of the editor and obrin-cli comes through here: decoded in
// `encoding` (detected when Auto), converted to CP932, and, when characters
// lack a CP932 form, taken with "・" in their place only if `consent` agrees.
[[nodiscard]] TextRead DecodeTextInput(std::string_view bytes, TextEncoding encoding,
                                       const ReplacementConsent& consent);
[[nodiscard]] TextRead ReadTextInput(const std::filesystem::path& path, TextEncoding encoding,
                                     const ReplacementConsent& consent);

// The editor's consent: it asks ReplacementQuestion with OK and Cancel.
[[nodiscard]] ReplacementConsent AskBeforeReplacing(Dialogs& dialogs);

}  // namespace obrin
