#include "document/undo_history.h"

#include <algorithm>
#include <utility>

#include "document/document.h"

namespace obrin {

namespace {

bool SameLine(const LyricLine& a, const LyricLine& b) {
    return a.lyricText == b.lyricText && a.timeText == b.timeText && a.stateIndex == b.stateIndex &&
           a.units == b.units && a.draft == b.draft;
}

// The first line that differs, or LyricList::kNone.
int FirstDifference(const std::vector<LyricLine>& a, const std::vector<LyricLine>& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (!SameLine(a[i], b[i])) return static_cast<int>(i);
    }
    return a.size() == b.size() ? LyricList::kNone : static_cast<int>(common);
}

}  // namespace

DocumentContent ContentOf(const Document& document) {
    return {.lines = document.lyrics.lines(),
            .title = document.title(),
            .artist = document.artist(),
            .headerLines = document.headerLines(),
            .infoLines = document.infoLines(),
            .loadedFromFile = document.loadedFromFile(),
            .markOffset = document.markOffset().text(),
            .ruby = document.ruby()};
}

bool SameContent(const DocumentContent& a, const DocumentContent& b) {
    return FirstDifference(a.lines, b.lines) == LyricList::kNone && a.title == b.title &&
           a.artist == b.artist && a.headerLines == b.headerLines && a.infoLines == b.infoLines &&
           a.loadedFromFile == b.loadedFromFile && a.markOffset == b.markOffset && a.ruby == b.ruby;
}

UndoHistory::Step::Step(UndoHistory* history, std::string caption, std::string burst)
    : history_(history), caption_(std::move(caption)), burst_(std::move(burst)) {
    if (history_) history_->open();
}

UndoHistory::Step::~Step() {
    if (history_) history_->close(caption_, burst_);
}

UndoHistory::UndoHistory(Document& document, UndoHistory&& other) noexcept
    : document_(document),
      undo_(std::move(other.undo_)),
      redo_(std::move(other.redo_)),
      openBurst_(std::move(other.openBurst_)) {}

UndoHistory::Step UndoHistory::beginTyping(std::string caption, std::string burst) {
    // What listeners do while an undo restores belongs to the undo.
    return Step(restoring_ ? nullptr : this, std::move(caption), std::move(burst));
}

void UndoHistory::open() {
    if (depth_++ == 0) before_ = ContentOf(document_);
}

void UndoHistory::close(const std::string& caption, const std::string& burst) {
    if (--depth_ > 0) return;
    DocumentContent before = std::exchange(before_, {});
    const DocumentContent now = ContentOf(document_);
    if (!burst.empty() && burst == openBurst_ && !undo_.empty() && undo_.back().burst == burst) {
        // The burst's step keeps the text from before its first keystroke.
        if (SameContent(undo_.back().content, now)) {
            undo_.pop_back();
            openBurst_.clear();
            changed();
        }
        return;
    }
    if (SameContent(before, now)) return;
    undo_.push_back({caption, std::move(before), burst});
    if (undo_.size() > kUndoLevels) undo_.erase(undo_.begin());
    redo_.clear();
    openBurst_ = burst;
    changed();
}

void UndoHistory::undo() {
    if (!canUndo() || restoring_) return;
    Entry entry = std::move(undo_.back());
    undo_.pop_back();
    redo_.push_back({entry.caption, ContentOf(document_), {}});
    restore(entry.content);
    changed();
}

void UndoHistory::redo() {
    if (!canRedo() || restoring_) return;
    Entry entry = std::move(redo_.back());
    redo_.pop_back();
    undo_.push_back({entry.caption, ContentOf(document_), {}});
    restore(entry.content);
    changed();
}

void UndoHistory::restore(const DocumentContent& content) {
    openBurst_.clear();
    restoring_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{restoring_};

    LyricList& lyrics = document_.lyrics;
    const int firstChanged = FirstDifference(lyrics.lines(), content.lines);
    if (lyrics.count() == static_cast<int>(content.lines.size())) {
        // Line by line, so that a listener hears which lines came back.
        for (int i = 0; i < lyrics.count(); ++i) {
            const LyricLine& want = content.lines[i];
            const LyricLine& have = lyrics.line(i);
            if (have.lyricText != want.lyricText) lyrics.setLyricText(i, want.lyricText);
            if (have.timeText != want.timeText) lyrics.setTimeText(i, want.timeText);
            if (have.stateIndex != want.stateIndex) lyrics.setStateIndex(i, want.stateIndex);
            // Last: the text and time rules above recompute the units.
            if (have.units != want.units) lyrics.setUnits(i, want.units);
            // After the time, which drops the draft.
            if (have.draft != want.draft) lyrics.setDraft(i, want.draft);
        }
        for (int i = 0; i < lyrics.count(); ++i) {
            if (lyrics.line(i).selected == content.lines[i].selected) continue;
            content.lines[i].selected ? lyrics.select(i) : lyrics.deselect(i);
        }
    } else {
        lyrics.assignLines(content.lines);
    }
    document_.setTitle(content.title);
    document_.setArtist(content.artist);
    document_.setHeaderLines(content.headerLines);
    document_.setInfoLines(content.infoLines);
    document_.setLoadedFromFile(content.loadedFromFile);
    document_.setMarkOffset(content.markOffset);
    document_.setRuby(content.ruby);

    const int shown = lyrics.hasSelection() ? lyrics.currentLine() : firstChanged;
    if (shown != LyricList::kNone && shown < lyrics.count()) lyrics.makeVisible(shown);
}

}  // namespace obrin
