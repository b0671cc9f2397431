#include "document/document.h"

#include <utility>

namespace obrin {

namespace {

constexpr const char* kMarkOffsetStep = "マーク位置";

}  // namespace

Document::Document(Document&& other) noexcept
    : lyrics(std::move(other.lyrics)),
      history(*this, std::move(other.history)),
      title_(std::move(other.title_)),
      artist_(std::move(other.artist_)),
      headerLines_(std::move(other.headerLines_)),
      infoLines_(std::move(other.infoLines_)),
      loadedFromFile_(other.loadedFromFile_),
      markOffset_(std::move(other.markOffset_)),
      listEditMode_(other.listEditMode_) {}

template <typename T>
void Document::set(T& field, T value, DocumentField which) {
    if (field == value) return;
    field = std::move(value);
    fieldChanged(which);
}

void Document::setTitle(std::string title) {
    set(title_, std::move(title), DocumentField::Title);
}

void Document::setArtist(std::string artist) {
    set(artist_, std::move(artist), DocumentField::Artist);
}

void Document::setHeaderLines(std::vector<std::string> lines) {
    set(headerLines_, std::move(lines), DocumentField::HeaderLines);
}

void Document::setInfoLines(std::vector<std::string> lines) {
    set(infoLines_, std::move(lines), DocumentField::InfoLines);
}

void Document::setLoadedFromFile(bool loaded) {
    set(loadedFromFile_, loaded, DocumentField::LoadedFromFile);
}

void Document::setMarkOffset(std::string text) {
    if (markOffset_.text() == text) return;
    markOffset_.setText(std::move(text));
    fieldChanged(DocumentField::MarkOffset);
}

void Document::stepMarkOffsetUp() {
    MarkOffset stepped = markOffset_;
    stepped.stepUp();
    const UndoHistory::Step step = history.beginStep(kMarkOffsetStep);
    setMarkOffset(stepped.text());
}

void Document::stepMarkOffsetDown() {
    MarkOffset stepped = markOffset_;
    stepped.stepDown();
    const UndoHistory::Step step = history.beginStep(kMarkOffsetStep);
    setMarkOffset(stepped.text());
}

void Document::setListEditMode(bool on) {
    set(listEditMode_, on, DocumentField::ListEditMode);
}

}  // namespace obrin
