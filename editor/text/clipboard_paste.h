#pragma once

#include <optional>
#include <string>

#include "document/document.h"
#include "text/lyrics_expansion.h"

namespace obrin {

class Dialogs;

// The system clipboard's plain text, as the lyrics commands take it.
class Clipboard {
  public:
    virtual ~Clipboard() = default;
    // The text as Shift-JIS bytes; an empty string when the clipboard holds no
    // text. std::nullopt when it cannot be read, or holds a character that
    // Shift-JIS cannot represent (which is reported, never replaced).
    [[nodiscard]] virtual std::optional<std::string> sjisText() = 0;
};

// The auto-expanding paste (N3): the clipboard's lines, expanded, replace the
// LyricList. An unreadable clipboard shows kClipboardInvalidMessage and
// changes nothing; then the result is false.
bool PasteFromClipboard(Document& document, Clipboard& clipboard, Dialogs& dialogs,
                        const ExpansionOptions& options);

}  // namespace obrin
