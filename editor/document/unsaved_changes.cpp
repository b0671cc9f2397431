#include "document/unsaved_changes.h"

#include "base/dialogs.h"

namespace obrin {

std::vector<Connection> ConnectContentChanges(Document& document, std::function<void()> changed) {
    LyricList& lyrics = document.lyrics;
    std::vector<Connection> connections;
    connections.push_back(lyrics.linesInserted.connect([changed](int, int) { changed(); }));
    connections.push_back(lyrics.linesRemoved.connect([changed](int, int) { changed(); }));
    connections.push_back(
        lyrics.linesChanged.connect([changed](int, int, LinePart) { changed(); }));
    connections.push_back(lyrics.wasReset.connect([changed] { changed(); }));
    connections.push_back(document.fieldChanged.connect([changed](DocumentField field) {
        // Settings the user keeps across songs, not part of what is saved.
        if (field == DocumentField::MarkOffset || field == DocumentField::ListEditMode) return;
        changed();
    }));
    return connections;
}

UnsavedChanges::UnsavedChanges(Document& document)
    : document_(document),
      saved_(ContentOf(document)),
      connections_(ConnectContentChanges(document, [this] { contentChanged(); })) {
    connections_.push_back(document.history.changed.connect([this] { stepTaken(); }));
}

void UnsavedChanges::markModified() {
    modifiedOutside_ = true;
    contentChanged();
}

void UnsavedChanges::markSaved() {
    saved_ = ContentOf(document_);
    modifiedOutside_ = false;
    setModified(false);
}

void UnsavedChanges::stepTaken() {
    if (!modified_ || modifiedOutside_) return;
    DocumentContent now = ContentOf(document_);
    now.markOffset = saved_.markOffset;  // kept per user, not saved with the lyrics
    if (SameContent(now, saved_)) setModified(false);
}

void UnsavedChanges::contentChanged() {
    setModified(true);
    changed();
}

void UnsavedChanges::setModified(bool modified) {
    if (modified_ == modified) return;
    modified_ = modified;
    modifiedChanged(modified);
}

bool SettleUnsavedChanges(const UnsavedChanges& changes, Dialogs& dialogs,
                          const std::function<bool()>& save) {
    if (!changes.modified()) return true;
    const std::optional<int> answer = dialogs.choose(kSaveChangesQuestion, {"はい", "いいえ"});
    if (!answer) return false;
    if (*answer == 0) return save();
    return true;
}

}  // namespace obrin
