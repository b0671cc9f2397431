#pragma once

#include <QAbstractTableModel>
#include <QTableView>

#include "document/lyric_list.h"

namespace obrin {

class Dialogs;

// Table model over the core LyricList: column 0 the lyric (Shift-JIS bytes
// shown as Unicode, editable), column 1 the time. The tick is the row's
// only picture.
class LyricListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { kLyricColumn = 0, kTimeColumn = 1 };

    LyricListModel(LyricList& lyrics, Dialogs& dialogs, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Stores an edited lyric as Shift-JIS. A character without a Shift-JIS
    // form is refused with a message and the line keeps its old bytes.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The list tells us after it changed; these keep the views in step.
    void rowsWereInserted(int first, int count);
    void rowsWereRemoved(int first, int count);
    void rowWasChanged(int row);
    void wasReset();

  private:
    LyricList& lyrics_;
    Dialogs& dialogs_;
};

// The lyric list `List`: whole-row multiple selection kept in step with the
// lines' Selected flags both ways, visible also without the focus; in-place
// editing of the lyric text only, opened with the caret after the text (a
// stray key adds to the lyric rather than replacing it; Escape cancels).
// The time column and the rows follow the list's font.
class LyricListWidget : public QTableView, public LyricListObserver, public LyricListView {
    Q_OBJECT
  public:
    static constexpr int kTimeColumnWidth = 60;
    static constexpr int kLyricColumnDesignWidth = 584;

    LyricListWidget(LyricList& lyrics, Dialogs& dialogs, QWidget* parent = nullptr);
    ~LyricListWidget() override;

    void setGridLinesVisible(bool visible) { setShowGrid(visible); }
    // Widths kept from an earlier run; 0 keeps the column as it is. The time
    // column never becomes narrower than its times in the current font.
    void restoreColumnWidths(int lyricWidth, int timeWidth);
    // The width that shows "00:00:00" and the column's title whole.
    [[nodiscard]] int fittedTimeColumnWidth() const;
    LyricListModel* lyricModel() const { return model_; }

    // LyricListObserver
    void linesInserted(int first, int count) override;
    void linesRemoved(int first, int count) override;
    void lineChanged(int index) override;
    void selectionChanged(int index) override;
    void selectionReset() override;
    void listReset() override;

    // LyricListView
    void makeVisible(int index) override;
    void beginEdit(int index) override;
    int topVisibleIndex() const override;
    void fitLyricsColumn() override;

  protected:
    using QTableView::edit;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void fitToFont();
    void viewSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void selectRowInView(int row, bool selected);
    void showCoreSelection();

    LyricList& lyrics_;
    LyricListModel* model_;
    // Set while one side of the selection follows the other, so the echo
    // does not come back.
    bool syncing_ = false;
};

}  // namespace obrin
