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
    : connections_(ConnectContentChanges(document, [this] { contentChanged(); })) {}

void UnsavedChanges::markModified() {
    contentChanged();
}

void UnsavedChanges::markSaved() {
    setModified(false);
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
