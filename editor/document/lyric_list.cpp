#include "document/lyric_list.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "document/unit_split.h"

namespace obrin {

std::vector<int> LyricList::selectedLines() const {
    std::vector<int> result;
    for (int i = std::max(current_, 0); i < count(); ++i) {
        if (lines_[i].selected) result.push_back(i);
    }
    return result;
}

int LyricList::firstSelectedFrom(int from) const {
    for (int i = std::max(from, 0); i < count(); ++i) {
        if (lines_[i].selected) return i;
    }
    return kNone;
}

void LyricList::selectionChangedAt(int first, int last, int current) {
    const int before = current_;
    current_ = current;
    selectionChanged(first, last);
    if (current_ != before) currentLineChanged(current_);
}

int LyricList::topVisibleLine() const {
    if (lines_.empty()) return kNone;
    return std::clamp(topVisible_, 0, count() - 1);
}

int LyricList::add() {
    return insert(count());
}

int LyricList::insert(int index) {
    if (index < 0 || index > count()) throw std::out_of_range("LyricList::insert");
    linesAboutToBeInserted(index, index);
    lines_.insert(lines_.begin() + index, LyricLine{});
    const int before = current_;
    if (current_ != kNone && index <= current_) ++current_;
    linesInserted(index, index);
    if (current_ != before) currentLineChanged(current_);
    return index;
}

void LyricList::remove(int first, int last) {
    if (first < 0 || last < first || last >= count()) throw std::out_of_range("LyricList::remove");
    linesAboutToBeRemoved(first, last);
    lines_.erase(lines_.begin() + first, lines_.begin() + last + 1);
    const int before = current_;
    const int removed = last - first + 1;
    if (current_ > last) {
        current_ -= removed;
    } else if (current_ >= first) {
        current_ = firstSelectedFrom(first);
    }
    linesRemoved(first, last);
    if (current_ != before) currentLineChanged(current_);
}

void LyricList::clear() {
    replaceLines({});
}

void LyricList::assign(const std::vector<std::string>& lyricTexts) {
    std::vector<LyricLine> lines;
    lines.reserve(lyricTexts.size());
    for (const auto& text : lyricTexts) lines.push_back(LyricLine{.lyricText = text});
    replaceLines(std::move(lines));
}

void LyricList::assignLines(std::vector<LyricLine> lines) {
    replaceLines(std::move(lines));
}

void LyricList::replaceLines(std::vector<LyricLine> lines) {
    aboutToReset();
    lines_ = std::move(lines);
    const int before = current_;
    current_ = firstSelectedFrom(0);
    wasReset();
    if (current_ != before) currentLineChanged(current_);
}

void LyricList::lineChanged(int index, LinePart part) {
    linesChanged(index, index, part);
}

void LyricList::setLyricText(int index, std::string text) {
    LyricLine& line = lines_.at(index);
    if (!line.units.empty()) {
        line.units = KeepUnchangedUnits(line.units, text);
        if (!line.units.units.empty())
            line.units.units.front().start = TimeTextCentis(line.timeText);
    }
    line.lyricText = std::move(text);
    lineChanged(index, LinePart::LyricText);
}

void LyricList::setTimeText(int index, std::string text) {
    LyricLine& line = lines_.at(index);
    if (!line.units.empty())
        MoveUnits(line.units, TimeTextCentis(line.timeText), TimeTextCentis(text));
    line.timeText = std::move(text);
    line.draft = {};
    lineChanged(index, LinePart::TimeText);
}

void LyricList::setUnits(int index, LineUnits units) {
    lines_.at(index).units = std::move(units);
    lineChanged(index, LinePart::TimeText);
}

void LyricList::setDraft(int index, LineDraft draft) {
    lines_.at(index).draft = draft;
    lineChanged(index, LinePart::TimeText);
}

void LyricList::setStateIndex(int index, int stateIndex) {
    LyricLine& line = lines_.at(index);
    line.stateIndex = stateIndex;
    lineChanged(index, LinePart::Check);
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
    int current = current_;
    if (selected && (current == kNone || index < current)) {
        current = index;
    } else if (!selected && index == current) {
        current = firstSelectedFrom(index + 1);
    }
    selectionChangedAt(index, index, current);
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
    int first = kNone;
    int last = kNone;
    for (int i = 0; i < count(); ++i) {
        if (lines_[i].selected == selected) continue;
        lines_[i].selected = selected;
        if (first == kNone) first = i;
        last = i;
    }
    if (first == kNone) return;
    selectionChangedAt(first, last, selected ? 0 : kNone);
}

}  // namespace obrin
