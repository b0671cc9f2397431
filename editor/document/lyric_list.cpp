#include "document/lyric_list.h"

#include <stdexcept>
#include <utility>

namespace obrin {

int LyricList::currentLine() const {
    for (int i = 0; i < count(); ++i) {
        if (lines_[i].selected) return i;
    }
    return kNone;
}

std::vector<int> LyricList::selectedLines() const {
    std::vector<int> result;
    for (int i = 0; i < count(); ++i) {
        if (lines_[i].selected) result.push_back(i);
    }
    return result;
}

int LyricList::add() {
    return insert(count());
}

int LyricList::insert(int index) {
    if (index < 0 || index > count()) throw std::out_of_range("LyricList::insert");
    lines_.insert(lines_.begin() + index, LyricLine{});
    if (observer_) observer_->linesInserted(index, 1);
    return index;
}

void LyricList::remove(int index) {
    if (index < 0 || index >= count()) throw std::out_of_range("LyricList::remove");
    lines_.erase(lines_.begin() + index);
    if (observer_) observer_->linesRemoved(index, 1);
}

void LyricList::clear() {
    lines_.clear();
    if (observer_) observer_->listReset();
}

void LyricList::assign(const std::vector<std::string>& lyricTexts) {
    lines_.clear();
    lines_.reserve(lyricTexts.size());
    for (const auto& text : lyricTexts) lines_.push_back(LyricLine{.lyricText = text});
    if (observer_) observer_->listReset();
}

void LyricList::assignLines(std::vector<LyricLine> lines) {
    lines_ = std::move(lines);
    if (observer_) observer_->listReset();
}

void LyricList::setLyricText(int index, std::string text) {
    lines_.at(index).lyricText = std::move(text);
    if (observer_) observer_->lineChanged(index);
}

void LyricList::setTimeText(int index, std::string text) {
    lines_.at(index).timeText = std::move(text);
    if (observer_) observer_->lineChanged(index);
}

void LyricList::setStateIndex(int index, int stateIndex) {
    LyricLine& line = lines_.at(index);
    line.stateIndex = stateIndex;
    line.imageIndex = stateIndex;
    if (observer_) observer_->lineChanged(index);
}

void LyricList::setChecked(int index, bool checked) {
    setStateIndex(index, checked ? 0 : -1);
}

void LyricList::toggleCheck(int index) {
    setChecked(index, !line(index).checked());
}

void LyricList::setSelected(int index, bool selected) {
    LyricLine& line = lines_.at(index);
    if (line.selected == selected) return;
    line.selected = selected;
    if (observer_) observer_->selectionChanged(index);
}

void LyricList::select(int index) {
    setSelected(index, true);
}

void LyricList::deselect(int index) {
    setSelected(index, false);
}

void LyricList::clearSelection() {
    setAllSelected(false);
}

void LyricList::selectAll() {
    setAllSelected(true);
}

void LyricList::setAllSelected(bool selected) {
    bool changed = false;
    for (LyricLine& line : lines_) {
        changed = changed || line.selected != selected;
        line.selected = selected;
    }
    if (changed && observer_) observer_->selectionReset();
}

void LyricList::makeVisible(int index) const {
    if (view_) view_->makeVisible(index);
}

void LyricList::beginEdit(int index) const {
    if (view_) view_->beginEdit(index);
}

int LyricList::topVisibleIndex() const {
    if (view_) return view_->topVisibleIndex();
    return count() > 0 ? 0 : kNone;
}

void LyricList::fitLyricsColumn() const {
    if (view_) view_->fitLyricsColumn();
}

}  // namespace obrin
