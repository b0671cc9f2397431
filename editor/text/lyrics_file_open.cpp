#include "text/lyrics_file_open.h"

#include <algorithm>
#include <new>

#include "base/dialogs.h"
#include "text/text_input.h"
#include "text/text_lines.h"
#include "text/text_messages.h"

namespace obrin {
namespace {

// Anything but blanks and line breaks; the Shift-JIS ideographic space is a
// blank too.
bool HasWords(const std::string& sjis) {
    for (const std::string& line : CutLines(sjis)) {
        std::string_view rest(line);
        while (!rest.empty()) {
            if (rest.starts_with("\x81\x40")) {
                rest.remove_prefix(2);
            } else if (rest.front() == ' ' || rest.front() == '\t') {
                rest.remove_prefix(1);
            } else {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

LyricsOpenResult OpenLyricsFile(Document& document, const std::filesystem::path& path,
                                const ReaderOptions& options, const ExpansionOptions& expansion,
                                Dialogs& dialogs, const ReplacementConsent& consent) {
    const TextRead text = ReadTextInput(path, options.encoding, consent);
    if (text.status == TextReadStatus::Read) {
        Document trial;
        const LyricsReadReport report = ReadTaggedLyricsText(trial, text.sjis, options);
        if (report.noLyricLines && HasWords(text.sjis)) {
            if (!dialogs.confirm(kUntimedLyricsQuestion)) return {.outcome = LyricsOpen::Unchanged};
            try {
                PasteWithExpansion(document, CutLines(text.sjis), expansion);
            } catch (const std::bad_alloc&) {
                dialogs.showError(kOutOfMemoryMessage);
                return {.outcome = LyricsOpen::Unchanged};
            }
            return {.outcome = LyricsOpen::Pasted};
        }
    }
    return {.outcome = LyricsOpen::Read, .read = ReadDecodedLyrics(document, text, options)};
}

}  // namespace obrin
