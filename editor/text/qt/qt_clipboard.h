#pragma once

#include "text/clipboard_paste.h"

namespace obrin {

// The system clipboard's plain text through Qt.
class QtClipboard final : public Clipboard {
  public:
    std::optional<std::string> utf8Text() override;
};

}  // namespace obrin
