#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/signal.h"
#include "document/document.h"

namespace obrin {

class Dialogs;

// Calls `changed` after every change of the document's content: its lines
// and the song's fields, but not the selection, the mark offset or list-edit
// mode. The connections end the listening when they go.
[[nodiscard]] std::vector<Connection> ConnectContentChanges(Document& document,
                                                            std::function<void()> changed);

// Whether the document holds changes not yet saved. It listens to every
// change notice of the lines and of the song's fields, so any way the
// document changes (commands, typing, undo) marks it; the selection, the
// mark offset and list-edit mode are not content and do not. A save (or a
// read that makes the document the file's again) marks it saved, and so does
// a step of the history (an undo, say) that brings back what was saved.
class UnsavedChanges {
  public:
    explicit UnsavedChanges(Document& document);
    UnsavedChanges(const UnsavedChanges&) = delete;
    UnsavedChanges& operator=(const UnsavedChanges&) = delete;

    [[nodiscard]] bool modified() const { return modified_; }
    // Content the document does not hold changed (text typed into the
    // completed form), or work came back that no file holds.
    void markModified();
    void markSaved();

    // The state turned from saved to modified or back.
    Signal<bool> modifiedChanged;
    // The content changed (every notice, also while already modified).
    Signal<> changed;

  private:
    void contentChanged();
    void setModified(bool modified);
    void stepTaken();

    Document& document_;
    // The content as last saved.
    DocumentContent saved_;
    bool modified_ = false;
    // A change that the document's content does not show has come since.
    bool modifiedOutside_ = false;
    std::vector<Connection> connections_;
};

// The question asked before an action would drop unsaved changes.
inline constexpr const char* kSaveChangesQuestion = "変更を保存しますか?";

// Asks kSaveChangesQuestion when there are unsaved changes: はい runs `save`
// (true when it wrote the file), いいえ goes on without saving, キャンセル
// stops. True when the action may go on; without changes it always may, and
// nothing is asked.
[[nodiscard]] bool SettleUnsavedChanges(const UnsavedChanges& changes, Dialogs& dialogs,
                                        const std::function<bool()>& save);

}  // namespace obrin
