#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/signal.h"
#include "document/lyric_list.h"

namespace obrin {

class Document;

// What an undo puts back: everything the files are made from, plus the
// selection, so that the user sees where the change was. ListEditMode is a
// way of working, not content, and stays as it is.
struct DocumentContent {
    std::vector<LyricLine> lines;
    std::string title;
    std::string artist;
    std::vector<std::string> headerLines;
    std::vector<std::string> infoLines;
    bool loadedFromFile = false;
    std::string markOffset;
    RubyTable ruby;
};

// The undo and redo history of one Document, kUndoLevels steps deep (the
// oldest step is forgotten first). A step is one user action, however many
// lines it touched.
//
// A command makes its changes inside a Step:
//
//     void RetimeLine(Document& document, int line, std::int32_t ms) {
//         const UndoHistory::Step step = document.history.beginStep("時間の変更");
//         document.lyrics.setTimeText(line, FormatTimeText(ms));
//     }
//
// The Step notes the document as it was and, when it ends, keeps that as one
// step named by its caption if anything but the selection changed; a command
// that changed nothing (refused, cancelled) leaves no step. Steps nest: a
// Step begun inside another belongs to the outer one, so a command may call
// others (a combine that pastes, a batch that reads many files) and still be
// one step: a command that shifts the times of many lines opens one Step
// around the whole loop. A new step forgets what could be redone.
//
// Each step keeps a copy of the document's content: a song's lyrics are a few
// kilobytes, so even a full history stays small, and a copy cannot get out of
// step with the commands the way recorded inverse operations can.
//
// Undo and redo change the document through its own setters, so every
// listener hears them as any other change; they never touch the player.
// Everything happens on the user-interface thread.
class UndoHistory {
  public:
    static constexpr std::size_t kUndoLevels = 200;

    class [[nodiscard]] Step {
      public:
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;
        ~Step();

      private:
        friend class UndoHistory;
        Step(UndoHistory* history, std::string caption, std::string burst);

        UndoHistory* history_;  // null while an undo or redo is restoring
        std::string caption_;
        std::string burst_;
    };

    explicit UndoHistory(Document& document) : document_(document) {}
    // The history of a moved document, now serving its new owner.
    UndoHistory(Document& document, UndoHistory&& other) noexcept;
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;

    // caption: what the user did, as the Edit menu names it ("マーク").
    Step beginStep(std::string caption) { return beginTyping(std::move(caption), {}); }
    // Typing into one field: successive steps of the same burst become one
    // until endTyping, another step, an undo or a redo ends the burst. A
    // burst that brought the text back to where it started leaves no step.
    Step beginTyping(std::string caption, std::string burst);
    void endTyping() { openBurst_.clear(); }

    bool canUndo() const { return !undo_.empty() && depth_ == 0; }
    bool canRedo() const { return !redo_.empty() && depth_ == 0; }
    // The caption of the step an undo (a redo) would take back (do again);
    // empty when there is none.
    std::string undoCaption() const { return undo_.empty() ? std::string() : undo_.back().caption; }
    std::string redoCaption() const { return redo_.empty() ? std::string() : redo_.back().caption; }
    // Each does nothing when it cannot, and never while a Step is open.
    void undo();
    void redo();

    // What can be undone or redone, or a caption, may have changed.
    Signal<> changed;

  private:
    struct Entry {
        std::string caption;
        DocumentContent content;  // the document before (undo) or after (redo) the step
        std::string burst;
    };

    void open();
    void close(const std::string& caption, const std::string& burst);
    void restore(const DocumentContent& content);

    Document& document_;
    std::vector<Entry> undo_;
    std::vector<Entry> redo_;
    int depth_ = 0;
    bool restoring_ = false;
    DocumentContent before_;
    std::string openBurst_;
};

// The document's content as it is now.
[[nodiscard]] DocumentContent ContentOf(const Document& document);
// Whether two contents differ in anything but the selection.
[[nodiscard]] bool SameContent(const DocumentContent& a, const DocumentContent& b);

}  // namespace obrin
