#include "text/completed_text_tab.h"

#include "base/dialogs.h"
#include "document/unsaved_changes.h"
#include "text/edited_sjis.h"
#include "text/text_lines.h"

namespace obrin {
namespace {

// The bytes the view was given: each line ended by a line break.
std::string JoinShown(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) {
        joined += line;
        joined += '\n';
    }
    return joined;
}

}  // namespace

CompletedTextTab::CompletedTextTab(CompletedTextPage& page, Document& document, Options options,
                                   Dialogs& dialogs)
    : page_(page),
      document_(document),
      options_(std::move(options)),
      dialogs_(dialogs),
      connections_(ConnectContentChanges(document, [this] { documentChanged(); })) {}

std::vector<std::string> CompletedTextTab::show(bool keepPosition) {
    std::vector<std::string> lines = BuildCompletedText(document_, options_());
    page_.showLines(lines, keepPosition);
    shown_ = lines;
    edited_ = false;
    documentChangedSinceEdit_ = false;
    return lines;
}

void CompletedTextTab::rebuild() {
    if (page_.isActive()) show(false);
}

void CompletedTextTab::markEdited() {
    if (!edited_) documentChangedSinceEdit_ = false;
    edited_ = true;
}

std::optional<std::string> CompletedTextTab::typedText() const {
    if (!edited_ || !page_.isActive()) return std::nullopt;
    return page_.text();
}

void CompletedTextTab::restoreTypedText(const std::string& utf8) {
    page_.activate();
    show(false);
    page_.showTypedText(utf8);
    edited_ = true;
}

void CompletedTextTab::documentChanged() {
    if (!page_.isActive()) return;
    if (edited_) {
        documentChangedSinceEdit_ = true;
        return;
    }
    show(true);
}

TextSave CompletedTextTab::save(const std::filesystem::path& path) {
    if (!page_.isActive()) {
        page_.activate();
        return {.error = WriteTextFile(path, show(false))};
    }
    if (edited_ && documentChangedSinceEdit_) {
        const std::optional<int> answer =
            dialogs_.choose(kWhichTextQuestion, {kRebuildAnswer, kKeepEditsAnswer});
        if (!answer) return {.cancelled = true, .error = {}};
        if (*answer == 0) return {.error = WriteTextFile(path, show(false))};
    }
    if (edited_) {
        return {.error = WriteTextFile(
                    path, CutLines(EncodeEditedText(page_.text(), JoinShown(shown_))))};
    }
    // Options (song information, author) may have changed since the build;
    // the document's text as it would be built now is what is saved.
    std::vector<std::string> lines = BuildCompletedText(document_, options_());
    if (lines != shown_) lines = show(true);
    return {.error = WriteTextFile(path, lines)};
}

}  // namespace obrin
