#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "base/signal.h"
#include "base/timer.h"
#include "document/document.h"
#include "text/completed_text.h"

namespace obrin {

class Dialogs;

// The tab "完成型" with its editable text, as the text rules need it. The
// main window implements it over its page control and text view.
class CompletedTextPage {
  public:
    virtual ~CompletedTextPage() = default;
    [[nodiscard]] virtual bool isActive() const = 0;
    virtual void activate() = 0;
    // Replaces the whole content. `keepPosition`: the caret and the scroll
    // stay where they were (as far as the new text reaches); otherwise the
    // caret goes to the start.
    virtual void showLines(const std::vector<std::string>& lines, bool keepPosition) = 0;
    // Replaces the whole content with text the user typed (UTF-8, which may
    // hold characters Shift-JIS lacks); the caret goes to the start.
    virtual void showTypedText(const std::string& utf8) = 0;
    // What the view holds now, the user's edits included, as UTF-8.
    [[nodiscard]] virtual std::string text() const = 0;
};

// What came of a save of the completed text.
struct TextSave {
    bool cancelled = false;  // the user chose not to save; nothing written
    std::error_code error;   // the file could not be written
    [[nodiscard]] bool saved() const { return !cancelled && !error; }
};

// The question when both the document and the typed text changed.
inline constexpr const char* kWhichTextQuestion =
    "完成型の文章を編集した後で、リストが変更されました。どちらを保存しますか?";
// The question on leaving the tab, or on a rebuild asked for, with typed text.
inline constexpr const char* kKeepTypedQuestion =
    "完成型の文章が編集されています。どちらを残しますか?";
// The question when the document changed while typed text is kept.
inline constexpr const char* kListChangedQuestion =
    "完成型の文章を編集した後で、リストが変更されました。どちらを残しますか?";
inline constexpr const char* kRebuildAnswer = "リストから作り直す";
inline constexpr const char* kKeepEditsAnswer = "編集した文章";

// The rules of the tab "完成型". While the user has not typed in it, its text
// follows every change of the document, so a save never writes stale text.
// Once the user has typed, the text stays as typed, on the tab and off it,
// and a save writes it; typed text is never dropped without the user's word.
// Leaving the tab, or asking for a rebuild, with typed text asks
// kKeepTypedQuestion; a change of the document that shows in the text while
// typed text is kept asks kListChangedQuestion once the command that made it
// has ended; each of these comes once for each burst of typing, and a save
// after a change nobody answered for asks kWhichTextQuestion. "リストから作り直す"
// drops the typing, "編集した文章" keeps it, and Cancel decides nothing (the
// typing stays). Saved bytes are the document's own where the user did not
// type (no trip through Unicode).
class CompletedTextTab {
  public:
    using Options = std::function<CompletedTextOptions()>;

    // `timers` gives the timer that puts the question about a changed
    // document after the command that changed it.
    CompletedTextTab(CompletedTextPage& page, Document& document, Options options, Dialogs& dialogs,
                     TimerFactory& timers);
    CompletedTextTab(const CompletedTextTab&) = delete;
    CompletedTextTab& operator=(const CompletedTextTab&) = delete;

    // The tab became the active one: its text is built from the document
    // (BuildCompletedText), unless typed text is kept.
    void activated();
    // The tab is no longer the active one; with typed text, asks which to
    // keep (once for each burst of typing).
    void left();
    // Ctrl+U: builds the text again while the tab is the active one; with
    // typed text only when the user says so.
    void refresh();
    // The user changed the text in the view; it stays as typed.
    void markEdited();
    [[nodiscard]] bool edited() const { return edited_; }
    // The typed text (UTF-8), whichever tab is the active one; none while the
    // text follows the document.
    [[nodiscard]] std::optional<std::string> typedText() const;
    // Puts typed text back, as after a restart: the tab becomes the active
    // one, the document's text is built as the base of the edits, and
    // `utf8` replaces it as though the user had just typed it, so that a
    // save writes it.
    void restoreTypedText(const std::string& utf8);
    // The document was replaced after the user settled its unsaved changes
    // (a lyrics file read, a song opened): typing made for the lyrics before
    // goes without a question, and the text follows the document again.
    void forgetTyping();

    // Saves the text. Called while the other tab is the active one, it
    // switches to this one first. Throws SjisError (nothing written) when a
    // typed character has no Shift-JIS form.
    [[nodiscard]] TextSave save(const std::filesystem::path& path);

  private:
    void documentChanged();
    void askAfterDocumentChange();
    // Asks `question`; true when the typing was dropped.
    bool askWhichToKeep(const char* question);
    // Builds and shows the document's text; returns its lines.
    std::vector<std::string> show(bool keepPosition);

    CompletedTextPage& page_;
    Document& document_;
    Options options_;
    Dialogs& dialogs_;
    std::unique_ptr<Timer> question_;
    std::vector<std::string> shown_;  // the lines last built into the view
    bool edited_ = false;
    bool documentChangedSinceEdit_ = false;
    // Asked since the last typing: each question comes once for each burst.
    bool askedOnLeaving_ = false;
    bool askedAboutChanges_ = false;
    bool asking_ = false;
    std::vector<Connection> connections_;
};

}  // namespace obrin
