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
    // The text as UTF-8; an empty string when the clipboard holds no text.
    // std::nullopt when it cannot be read.
    [[nodiscard]] virtual std::optional<std::string> utf8Text() = 0;
};

enum class ClipboardTake {
    Taken,     // `sjis` holds the text
    Invalid,   // unreadable; the caller reports kClipboardInvalidMessage
    Declined,  // characters without a Shift-JIS form, and the user said Cancel
};

struct ClipboardText {
    ClipboardTake status = ClipboardTake::Taken;
    std::string sjis;
};

// The clipboard's text in Shift-JIS. Characters without a Shift-JIS form are
// named in one question; OK takes the text with "・" in their place.
[[nodiscard]] ClipboardText TakeClipboardText(Clipboard& clipboard, Dialogs& dialogs);

// The auto-expanding paste (N3): the clipboard's lines, expanded, replace the
// LyricList. An unreadable clipboard shows kClipboardInvalidMessage, an
// expansion too large for memory kOutOfMemoryMessage; either changes nothing,
// as does Cancel at the question about characters without a Shift-JIS form;
// then the result is false.
bool PasteFromClipboard(Document& document, Clipboard& clipboard, Dialogs& dialogs,
                        const ExpansionOptions& options);

}  // namespace obrin
