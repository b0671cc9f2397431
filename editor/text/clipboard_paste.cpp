#include "text/clipboard_paste.h"

#include <new>

#include "base/dialogs.h"
#include "text/text_encoding.h"
#include "text/text_lines.h"
#include "text/text_messages.h"

namespace obrin {

ClipboardText TakeClipboardText(Clipboard& clipboard, Dialogs& dialogs) {
    const auto text = clipboard.utf8Text();
    if (!text) return {ClipboardTake::Invalid, {}};
    DecodedText decoded;
    try {
        decoded = Utf8ToCp932(*text);
    } catch (const TextDecodeError&) {
        return {ClipboardTake::Invalid, {}};
    }
    if (!decoded.unmappable.empty() && !dialogs.confirm(ReplacementQuestion(decoded.unmappable)))
        return {ClipboardTake::Declined, {}};
    return {ClipboardTake::Taken, std::move(decoded.sjis)};
}

bool PasteFromClipboard(Document& document, Clipboard& clipboard, Dialogs& dialogs,
                        const ExpansionOptions& options) {
    const ClipboardText text = TakeClipboardText(clipboard, dialogs);
    if (text.status == ClipboardTake::Invalid) dialogs.showError(kClipboardInvalidMessage);
    if (text.status != ClipboardTake::Taken) return false;
    try {
        PasteWithExpansion(document, CutLines(text.sjis), options);
    } catch (const std::bad_alloc&) {
        dialogs.showError(kOutOfMemoryMessage);
        return false;
    }
    return true;
}

}  // namespace obrin
