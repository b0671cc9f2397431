#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/signal.h"
#include "document/timing_units.h"

namespace obrin {

// A time the timing draft proposes for an untimed line, not yet the user's:
// shown apart, and saved by no writer (each reads only the TimeText and the
// units) until it is accepted. Centiseconds; kNoUnitTime where none is
// proposed.
struct LineDraft {
    int start = kNoUnitTime;
    int end = kNoUnitTime;

    bool empty() const { return start == kNoUnitTime; }
    bool operator==(const LineDraft&) const = default;
};

// One row of the LyricList. LyricText is Shift-JIS (CP932) bytes and never
// holds a line break; TimeText is always present ("00:00:00" for a line that
// was never marked).
struct LyricLine {
    std::string lyricText;
    std::string timeText = "00:00:00";
    // The check mark is the row's state image: 0 shows the tick, any other
    // value shows nothing.
    int stateIndex = -1;
    bool selected = false;
    // Per-character (karaoke) timing; empty for a line timed as a whole.
    LineUnits units{};
    LineDraft draft{};

    bool checked() const { return stateIndex == 0; }
};

// The part of a line a change touched, so that a listener to times (a
// waveform's marks) can pass over text edits and check marks.
enum class LinePart { LyricText, TimeText, Check };

// The ordered lines of one song, addressed by index from 0, with a multiple
// selection; the CurrentLine is the first selected line. Every change goes
// through here and is told to any number of listeners: structural changes
// twice, before ("about to") and after, so that a listener can look at the
// lines as they were (a table model must) or as they are (a history, a
// display). Ranges are inclusive: first..last.
class LyricList {
  public:
    static constexpr int kNone = -1;

    LyricList() = default;
    // A moved list takes the lines and their selection; its listeners stay
    // with the list they connected to.
    LyricList(LyricList&& other) noexcept
        : lines_(std::exchange(other.lines_, {})),
          current_(std::exchange(other.current_, kNone)),
          topVisible_(other.topVisible_) {}
    LyricList(const LyricList&) = delete;
    LyricList& operator=(const LyricList&) = delete;
    LyricList& operator=(LyricList&&) = delete;

    int count() const { return static_cast<int>(lines_.size()); }
    const LyricLine& line(int index) const { return lines_.at(index); }
    const std::vector<LyricLine>& lines() const { return lines_; }
    // Index of the first selected line, or kNone.
    int currentLine() const { return current_; }
    bool hasSelection() const { return current_ != kNone; }
    std::vector<int> selectedLines() const;

    // New lines have empty text, "00:00:00", no tick and no selection.
    int add();
    int insert(int index);
    void remove(int index) { remove(index, index); }
    // Removes lines first..last.
    void remove(int first, int last);
    void clear();
    // Replaces the whole list with untimed lines of the given texts.
    void assign(const std::vector<std::string>& lyricTexts);
    // Replaces the whole list with the given lines.
    void assignLines(std::vector<LyricLine> lines);

    // A line with units keeps the times of those whose text did not change
    // (see KeepUnchangedUnits).
    void setLyricText(int index, std::string text);
    // A line with units moves them with its time. A time given to a line
    // replaces its draft.
    void setTimeText(int index, std::string text);
    // Told as a change of the TimeText.
    void setDraft(int index, LineDraft draft);
    // Told as a change of the TimeText.
    void setUnits(int index, LineUnits units);
    void setChecked(int index, bool checked);
    // Sets the raw state image index; only 0 counts as checked.
    void setStateIndex(int index, int stateIndex);
    void toggleCheck(int index);

    // Select adds to the selection; it never clears other lines.
    void select(int index);
    void deselect(int index);
    void clearSelection();
    void selectAll();

    // The topmost row the list shows, as its display reports it on every
    // scroll; Mark starts there when nothing is selected. kNone when the
    // list is empty.
    int topVisibleLine() const;
    void setTopVisibleLine(int index) { topVisible_ = index; }
    // Asks the display to scroll the row into view (a partly visible row
    // counts as visible), or to open its in-place editor on the LyricText.
    void makeVisible(int index) const { showRequested(index); }
    void beginEdit(int index) const { editRequested(index); }

    // Lines first..last are about to be inserted (the old line at first and
    // those after it will follow them), or have been.
    Signal<int, int> linesAboutToBeInserted;
    Signal<int, int> linesInserted;
    // Lines first..last are about to be removed, or have been.
    Signal<int, int> linesAboutToBeRemoved;
    Signal<int, int> linesRemoved;
    // One part of lines first..last changed; their number did not.
    Signal<int, int, LinePart> linesChanged;
    // Every line is about to be replaced, or has been (selection included).
    Signal<> aboutToReset;
    Signal<> wasReset;
    // The Selected flags of lines first..last may have changed.
    Signal<int, int> selectionChanged;
    // The CurrentLine's index is now this (kNone: nothing selected), after
    // a selection change or because lines before it came or went.
    Signal<int> currentLineChanged;
    // Requests to the display (see makeVisible and beginEdit).
    Signal<int> showRequested;
    Signal<int> editRequested;

  private:
    void setSelected(int index, bool selected);
    void setAllSelected(bool selected);
    void lineChanged(int index, LinePart part);
    void replaceLines(std::vector<LyricLine> lines);
    // Tells of a change of Selected, with the CurrentLine it leaves.
    void selectionChangedAt(int first, int last, int current);
    int firstSelectedFrom(int from) const;

    std::vector<LyricLine> lines_;
    int current_ = kNone;
    int topVisible_ = 0;
};

}  // namespace obrin
