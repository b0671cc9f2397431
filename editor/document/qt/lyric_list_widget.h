#pragma once

#include <QAbstractTableModel>
#include <QTableView>
#include <vector>

#include "base/signal.h"
#include "document/document.h"

namespace obrin {

class Dialogs;

// Table model over the core LyricList: column 0 the lyric (Shift-JIS bytes
// shown as Unicode, editable), column 1 the time (an untimed line's draft in
// grey, in the draft font). The tick is the row's
// only picture. It follows the list's notices, opening each change of rows
// before the list makes it and closing it after.
class LyricListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { kLyricColumn = 0, kTimeColumn = 1 };

    LyricListModel(Document& document, Dialogs& dialogs, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Stores an edited lyric as Shift-JIS, one step of the history. A
    // character without a Shift-JIS form is refused with a message and the
    // line keeps its old bytes.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // True between the start and the end of a change of rows, while views
    // of the model see rows that the list may no longer have.
    bool isChangingRows() const { return changingRows_; }
    // The list's font in italics.
    void setDraftFont(const QFont& font) { draftFont_ = font; }

  private:
    LyricList& lyrics_;
    UndoHistory& history_;
    Dialogs& dialogs_;
    bool changingRows_ = false;
    QFont draftFont_;
    std::vector<Connection> connections_;
};

// The lyric list `List`: a view of the lines and of their Selected flags,
// visible also without the focus; in-place editing of the lyric text only,
// opened with the caret after the text (a stray key adds to the lyric rather
// than replacing it; Escape cancels). The time column and the rows follow
// the list's font. What the user selects, and the row on top, go to the list
// at once; the view's own selection only ever shows the list's.
class LyricListWidget : public QTableView {
    Q_OBJECT
  public:
    static constexpr int kTimeColumnWidth = 60;
    static constexpr int kLyricColumnDesignWidth = 584;

    LyricListWidget(Document& document, Dialogs& dialogs, QWidget* parent = nullptr);

    void setGridLinesVisible(bool visible) { setShowGrid(visible); }
    // Widths kept from an earlier run; 0 keeps the column as it is. The time
    // column never becomes narrower than its times in the current font.
    void restoreColumnWidths(int lyricWidth, int timeWidth);
    // The width that shows "00:00:00" and the column's title whole.
    [[nodiscard]] int fittedTimeColumnWidth() const;

    // Asks the lyrics column to fit its contents, and to fill the list at
    // least; it keeps doing so as the list's width changes (a maximised
    // window), until a width is set otherwise (the user's, or a restored one).
    void fitLyricsColumn();
    [[nodiscard]] bool lyricsColumnFollowsList() const { return lyricsColumnFollows_; }

  protected:
    using QTableView::edit;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void fitLyricsColumnToList();
    void fitToFont();
    void makeVisible(int index);
    void beginEdit(int index);
    void reportTopRow();
    void viewSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    // Shows the Selected flags of lines first..last.
    void showSelection(int first, int last);

    LyricList& lyrics_;
    LyricListModel* model_;
    // Set while one side of the selection follows the other: the user's
    // selection going into the list must not come back into the view in the
    // middle of a drag, nor the list's into the list.
    bool syncingSelection_ = false;
    // Whether the lyrics column fits itself to the list, and whether the
    // width being set is that fit's own.
    bool lyricsColumnFollows_ = false;
    bool fittingLyricsColumn_ = false;
    std::vector<Connection> connections_;
};

}  // namespace obrin
