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
                                   Dialogs& dialogs, TimerFactory& timers)
    : page_(page),
      document_(document),
      options_(std::move(options)),
      dialogs_(dialogs),
      question_(timers.createTimer()),
      connections_(ConnectContentChanges(document, [this] { documentChanged(); })) {
    question_->onTimeout = [this] {
        question_->stop();
        askAfterDocumentChange();
    };
}

std::vector<std::string> CompletedTextTab::show(bool keepPosition) {
    std::vector<std::string> lines = BuildCompletedText(document_, options_());
    page_.showLines(lines, keepPosition);
    shown_ = lines;
    edited_ = false;
    documentChangedSinceEdit_ = false;
    askedOnLeaving_ = false;
    askedAboutChanges_ = false;
    question_->stop();
    return lines;
}

void CompletedTextTab::activated() {
    if (!edited_) show(false);
}

void CompletedTextTab::left() {
    if (!edited_ || askedOnLeaving_) return;
    askWhichToKeep(kKeepTypedQuestion);
    askedOnLeaving_ = edited_;
}

void CompletedTextTab::refresh() {
    if (!page_.isActive()) return;
    if (!edited_ || askWhichToKeep(kKeepTypedQuestion)) show(false);
}

bool CompletedTextTab::askWhichToKeep(const char* question) {
    asking_ = true;
    const std::optional<int> answer = dialogs_.choose(question, {kRebuildAnswer, kKeepEditsAnswer});
    asking_ = false;
    if (answer == 0) {
        show(page_.isActive());
        return true;
    }
    // The typed text wins over the document as it is now.
    if (answer == 1) documentChangedSinceEdit_ = false;
    return false;
}

void CompletedTextTab::markEdited() {
    if (!edited_) documentChangedSinceEdit_ = false;
    edited_ = true;
    askedOnLeaving_ = false;
    askedAboutChanges_ = false;
}

std::optional<std::string> CompletedTextTab::typedText() const {
    if (!edited_) return std::nullopt;
    return page_.text();
}

void CompletedTextTab::restoreTypedText(const std::string& utf8) {
    page_.activate();
    show(false);
    page_.showTypedText(utf8);
    edited_ = true;
}

void CompletedTextTab::forgetTyping() {
    if (edited_) show(false);
}

void CompletedTextTab::documentChanged() {
    if (!edited_) {
        if (page_.isActive()) show(true);
        return;
    }
    documentChangedSinceEdit_ = true;
    // Asked once the command that changed the document has ended, never in
    // the middle of its changes; once for each burst of typing, so typing
    // into the title field is not stopped at every key (the save asks about
    // later changes).
    if (!askedAboutChanges_ && !question_->isActive()) question_->start(0);
}

void CompletedTextTab::askAfterDocumentChange() {
    if (asking_ || !edited_ || !documentChangedSinceEdit_ || askedAboutChanges_) return;
    // A change the text does not show (a check mark, a change undone) leaves
    // nothing to choose between.
    if (BuildCompletedText(document_, options_()) == shown_) {
        documentChangedSinceEdit_ = false;
        return;
    }
    askWhichToKeep(kListChangedQuestion);
    askedAboutChanges_ = edited_;
}

TextSave CompletedTextTab::save(const std::filesystem::path& path) {
    if (!page_.isActive()) {
        page_.activate();
        if (!edited_) return {.error = WriteTextFile(path, show(false))};
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
