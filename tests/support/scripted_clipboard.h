#pragma once

#include <optional>
#include <string>

#include "base/sjis_codec.h"
#include "text/clipboard_paste.h"

namespace obrin::test {

// The clipboard, answered from the test: Shift-JIS text, or nothing.
class ScriptedClipboard final : public Clipboard {
  public:
    std::optional<std::string> text = std::string();
    std::optional<std::string> utf8Text() override {
        return text ? std::optional(SjisToUtf8(*text)) : std::nullopt;
    }
};

}  // namespace obrin::test
