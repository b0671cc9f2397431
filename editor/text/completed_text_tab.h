#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "base/signal.h"
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
inline constexpr const char* kRebuildAnswer = "リストから作り直す";
inline constexpr const char* kKeepEditsAnswer = "編集した文章";

// The rules of the tab "完成型". While it shows and the user has not typed
// in it, its text follows every change of the document, so a save never
// writes stale text. Once the user has typed, the text stays as typed; a
// save then writes the typed text, unless the document changed too, in
// which case the user is asked which one wins. Saved bytes are the
// document's own where the user did not type (no trip through Unicode).
class CompletedTextTab {
  public:
    using Options = std::function<CompletedTextOptions()>;

    CompletedTextTab(CompletedTextPage& page, Document& document, Options options,
                     Dialogs& dialogs);
    CompletedTextTab(const CompletedTextTab&) = delete;
    CompletedTextTab& operator=(const CompletedTextTab&) = delete;

    // Builds the text from the document again (BuildCompletedText), dropping
    // the user's edits, but only while the tab is the active one (its
    // activation, Ctrl+U).
    void rebuild();
    // The user changed the text in the view; it stays as typed until the
    // next rebuild.
    void markEdited();
    [[nodiscard]] bool edited() const { return edited_; }
    // The typed text (UTF-8) while the tab holds it: the user typed and the
    // tab is still the active one. Leaving the tab gives the edits up (the
    // next activation rebuilds, a save from the other tab writes the
    // document), so then there is none.
    [[nodiscard]] std::optional<std::string> typedText() const;
    // Puts typed text back, as after a restart: the tab becomes the active
    // one, the document's text is built as the base of the edits, and
    // `utf8` replaces it as though the user had just typed it, so that a
    // save writes it.
    void restoreTypedText(const std::string& utf8);

    // Saves the text. Called while the other tab is the active one, it
    // switches to this one and saves the document's text. Throws SjisError
    // (nothing written) when a typed character has no Shift-JIS form.
    [[nodiscard]] TextSave save(const std::filesystem::path& path);

  private:
    void documentChanged();
    // Builds and shows the document's text; returns its lines.
    std::vector<std::string> show(bool keepPosition);

    CompletedTextPage& page_;
    Document& document_;
    Options options_;
    Dialogs& dialogs_;
    std::vector<std::string> shown_;  // the lines last built into the view
    bool edited_ = false;
    bool documentChangedSinceEdit_ = false;
    std::vector<Connection> connections_;
};

}  // namespace obrin
