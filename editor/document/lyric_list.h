#pragma once

#include <string>
#include <vector>

namespace obrin {

// One row of the LyricList. LyricText is Shift-JIS (CP932) bytes and never
// holds a line break; TimeText is always present ("00:00:00" for a line that
// was never marked).
struct LyricLine {
    std::string lyricText;
    std::string timeText = "00:00:00";
    // The check mark is the row's state image: 0 shows the tick, any other
    // value shows nothing. The ordinary image index always follows it.
    int stateIndex = -1;
    int imageIndex = -1;
    bool selected = false;

    bool checked() const { return stateIndex == 0; }
};

// What a display of the list needs to hear to stay in step. Every change of
// the list goes through LyricList, which tells its observer afterwards.
class LyricListObserver {
  public:
    virtual ~LyricListObserver() = default;
    virtual void linesInserted(int first, int count) = 0;
    virtual void linesRemoved(int first, int count) = 0;
    virtual void lineChanged(int index) = 0;
    virtual void selectionChanged(int index) = 0;
    // Many lines changed their Selected at once (select all, clear): one
    // notice instead of one per line, which a display would redo per line.
    virtual void selectionReset() = 0;
    virtual void listReset() = 0;
};

// The things the list asks of the widget that shows it: scrolling, the
// in-place editor and which row is on top.
class LyricListView {
  public:
    virtual ~LyricListView() = default;
    // Scrolls so that the row is in view; a partly visible row counts as visible.
    virtual void makeVisible(int index) = 0;
    // Gives the list the focus and opens the in-place editor on the LyricText.
    virtual void beginEdit(int index) = 0;
    // The topmost row in view, or -1 when the list is empty.
    virtual int topVisibleIndex() const = 0;
    // Asks the lyrics column to fit its contents.
    virtual void fitLyricsColumn() = 0;
};

// The document: the ordered lines of one song, addressed by index from 0,
// with a multiple selection. The CurrentLine is the first selected line.
class LyricList {
  public:
    static constexpr int kNone = -1;

    int count() const { return static_cast<int>(lines_.size()); }
    const LyricLine& line(int index) const { return lines_.at(index); }
    // Index of the first selected line, or kNone.
    int currentLine() const;
    bool hasSelection() const { return currentLine() != kNone; }
    std::vector<int> selectedLines() const;

    // New lines have empty text, "00:00:00", no tick and no selection.
    int add();
    int insert(int index);
    void remove(int index);
    void clear();
    // Replaces the whole list with untimed lines of the given texts.
    void assign(const std::vector<std::string>& lyricTexts);
    // Replaces the whole list with the given lines, telling the observer once.
    void assignLines(std::vector<LyricLine> lines);

    void setLyricText(int index, std::string text);
    void setTimeText(int index, std::string text);
    void setChecked(int index, bool checked);
    // Sets the raw state image index; only 0 counts as checked.
    void setStateIndex(int index, int stateIndex);
    void toggleCheck(int index);

    // Select adds to the selection; it never clears other lines.
    void select(int index);
    void deselect(int index);
    void clearSelection();
    void selectAll();

    void setObserver(LyricListObserver* observer) { observer_ = observer; }
    void setView(LyricListView* view) { view_ = view; }
    LyricListView* view() const { return view_; }

    void makeVisible(int index) const;
    void beginEdit(int index) const;
    int topVisibleIndex() const;
    void fitLyricsColumn() const;

  private:
    void setSelected(int index, bool selected);
    void setAllSelected(bool selected);

    std::vector<LyricLine> lines_;
    LyricListObserver* observer_ = nullptr;
    LyricListView* view_ = nullptr;
};

}  // namespace obrin
