#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace obrin::wendax {

// Strict conversions between UTF-8 (the plug-in's path encoding) and UTF-16
// (the reader's). Ill-formed input (a stray continuation byte, an overlong
// form, an unpaired surrogate) gives std::nullopt with errno set to EILSEQ;
// nothing is replaced, so a path never silently names another file.
[[nodiscard]] std::optional<std::u16string> Utf8ToUtf16(std::string_view text);
[[nodiscard]] std::optional<std::string> Utf16ToUtf8(std::u16string_view text);

}  // namespace obrin::wendax
