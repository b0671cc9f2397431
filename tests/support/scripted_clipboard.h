#pragma once

#include <optional>
#include <string>

#include "base/sjis_codec.h"
#include "text/clipboard_paste.h"

namespace obrin::test {

// The clipboard, answered from the test: Shift-JIS text, or nothing; or,
// when set, UTF-8 text (characters Shift-JIS lacks).
class ScriptedClipboard final : public Clipboard {
  public:
    std::optional<std::string> text = std::string();
    std::optional<std::string> utf8;
    std::optional<std::string> utf8Text() override {
        if (utf8) return utf8;
        return text ? std::optional(SjisToUtf8(*text)) : std::nullopt;
    }
};

}  // namespace obrin::test
