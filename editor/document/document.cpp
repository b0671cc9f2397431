#include "document/document.h"

#include <algorithm>
#include <utility>

namespace obrin {

namespace {

constexpr const char* kMarkOffsetStep = "マーク位置";

// Title and artist are one line in every file written from them (a tag line,
// a header, the recovery file), so a line break that came in from outside
// becomes a space. CR and LF are never part of a Shift-JIS character.
std::string OneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text;
}

}  // namespace

Document::Document(Document&& other) noexcept
    : lyrics(std::move(other.lyrics)),
      history(*this, std::move(other.history)),
      title_(std::move(other.title_)),
      artist_(std::move(other.artist_)),
      headerLines_(std::move(other.headerLines_)),
      infoLines_(std::move(other.infoLines_)),
      loadedFromFile_(other.loadedFromFile_),
      ruby_(std::move(other.ruby_)),
      markOffset_(std::move(other.markOffset_)),
      listEditMode_(other.listEditMode_) {}

template <typename T>
void Document::set(T& field, T value, DocumentField which) {
    if (field == value) return;
    field = std::move(value);
    fieldChanged(which);
}

void Document::setTitle(std::string title) {
    set(title_, OneLine(std::move(title)), DocumentField::Title);
}

void Document::setArtist(std::string artist) {
    set(artist_, OneLine(std::move(artist)), DocumentField::Artist);
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

void Document::setRuby(RubyTable ruby) {
    set(ruby_, std::move(ruby), DocumentField::Ruby);
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
