#pragma once

#include <optional>
#include <string>

#include "text/clipboard_paste.h"

namespace obrin::test {

// The clipboard, answered from the test: Shift-JIS text, or nothing.
class ScriptedClipboard final : public Clipboard {
  public:
    std::optional<std::string> text = std::string();
    std::optional<std::string> sjisText() override { return text; }
};

}  // namespace obrin::test
