#include "text/clipboard_paste.h"

#include "base/dialogs.h"
#include "text/text_lines.h"
#include "text/text_messages.h"

namespace obrin {

bool PasteFromClipboard(Document& document, Clipboard& clipboard, Dialogs& dialogs,
                        const ExpansionOptions& options) {
    const auto text = clipboard.sjisText();
    if (!text) {
        dialogs.showError(kClipboardInvalidMessage);
        return false;
    }
    PasteWithExpansion(document, CutLines(*text), options);
    return true;
}

}  // namespace obrin
