#include "document/qt/lyric_list_widget.h"

#include <QEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "base/dialogs.h"
#include "base/time_text.h"
#include "base/sjis_codec.h"

namespace obrin {

namespace {

constexpr int kImageSize = 16;

// Marks one side of the selection as following the other for its lifetime.
class SyncGuard {
  public:
    explicit SyncGuard(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~SyncGuard() { flag_ = old_; }
    SyncGuard(const SyncGuard&) = delete;
    SyncGuard& operator=(const SyncGuard&) = delete;

  private:
    bool& flag_;
    bool old_;
};

QPixmap TickImage() {
    QPixmap image(kImageSize, kImageSize);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 128, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(3, 8.5);
    tick.lineTo(6.5, 12);
    tick.lineTo(13, 4);
    painter.drawPath(tick);
    return image;
}

// Unchecked rows show an empty picture of the same size, so the lyrics of
// checked and unchecked rows start at the same place.
const QPixmap& StateImage(bool checked) {
    static const QPixmap tick = TickImage();
    static const QPixmap none = [] {
        QPixmap image(kImageSize, kImageSize);
        image.fill(Qt::transparent);
        return image;
    }();
    return checked ? tick : none;
}

QFont ListFont() {
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPixelSize(12);
    return font;
}

}  // namespace

LyricListModel::LyricListModel(Document& document, Dialogs& dialogs, QObject* parent)
    : QAbstractTableModel(parent),
      lyrics_(document.lyrics),
      history_(document.history),
      dialogs_(dialogs) {
    connections_.push_back(lyrics_.linesAboutToBeInserted.connect([this](int first, int last) {
        changingRows_ = true;
        beginInsertRows({}, first, last);
    }));
    connections_.push_back(lyrics_.linesInserted.connect([this](int, int) {
        endInsertRows();
        changingRows_ = false;
    }));
    connections_.push_back(lyrics_.linesAboutToBeRemoved.connect([this](int first, int last) {
        changingRows_ = true;
        beginRemoveRows({}, first, last);
    }));
    connections_.push_back(lyrics_.linesRemoved.connect([this](int, int) {
        endRemoveRows();
        changingRows_ = false;
    }));
    connections_.push_back(lyrics_.aboutToReset.connect([this] {
        changingRows_ = true;
        beginResetModel();
    }));
    connections_.push_back(lyrics_.wasReset.connect([this] {
        endResetModel();
        changingRows_ = false;
    }));
    connections_.push_back(lyrics_.linesChanged.connect([this](int first, int last, LinePart) {
        emit dataChanged(index(first, 0), index(last, columnCount() - 1));
    }));
}

int LyricListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : lyrics_.count();
}

int LyricListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant LyricListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= lyrics_.count()) return {};
    const LyricLine& line = lyrics_.line(index.row());
    if (index.column() == kLyricColumn) {
        if (role == Qt::DisplayRole || role == Qt::EditRole) {
            return QString::fromStdString(SjisToUtf8(line.lyricText));
        }
        if (role == Qt::DecorationRole) return StateImage(line.checked());
    } else if (line.draft.empty()) {
        if (role == Qt::DisplayRole) return QString::fromStdString(line.timeText);
    } else if (role == Qt::DisplayRole) {
        // Where the time would be, set apart as a proposal.
        return QString::fromStdString(FormatTimeText(line.draft.start * 10));
    } else if (role == Qt::ForegroundRole) {
        return QColor(Qt::gray);
    } else if (role == Qt::FontRole) {
        return draftFont_;
    }
    return {};
}

QVariant LyricListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == kLyricColumn ? QStringLiteral("歌詞") : QStringLiteral("時間");
}

Qt::ItemFlags LyricListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() == kLyricColumn) flags |= Qt::ItemIsEditable;
    return flags;
}

bool LyricListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || index.column() != kLyricColumn || index.row() >= lyrics_.count()) {
        return false;
    }
    // A lyric never holds a line break; a pasted one would split the line
    // in every file written later.
    QString text = value.toString();
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    try {
        std::string bytes = Utf8ToSjis(text.toStdString());
        const UndoHistory::Step step = history_.beginStep("行を編集");
        lyrics_.setLyricText(index.row(), std::move(bytes));
    } catch (const SjisError& error) {
        // The editor is still closing when we get here; the message box must
        // wait until it is gone, or its focus change would commit again.
        QTimer::singleShot(
            0, this, [this, message = std::string(error.what())] { dialogs_.showError(message); });
        return false;
    }
    return true;
}

LyricListWidget::LyricListWidget(Document& document, Dialogs& dialogs, QWidget* parent)
    : QTableView(parent),
      lyrics_(document.lyrics),
      model_(new LyricListModel(document, dialogs, this)) {
    setObjectName(QStringLiteral("List"));
    setModel(model_);
    setFont(ListFont());
    setSelectionBehavior(SelectRows);
    setSelectionMode(ExtendedSelection);
    setEditTriggers(SelectedClicked);
    setIconSize(QSize(kImageSize, kImageSize));
    setWordWrap(false);
    setShowGrid(true);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    setColumnWidth(LyricListModel::kLyricColumn, kLyricColumnDesignWidth);
    fitToFont();
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column == LyricListModel::kLyricColumn && !fittingLyricsColumn_)
            lyricsColumnFollows_ = false;
    });

    // The selection is the user's working position: keep it as visible
    // while another control has the focus as while the list has it.
    QPalette pal = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    }
    setPalette(pal);

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &LyricListWidget::viewSelectionChanged);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &LyricListWidget::reportTopRow);
    connections_.push_back(lyrics_.selectionChanged.connect(
        [this](int first, int last) { showSelection(first, last); }));
    // The model's own listener has ended the reset by now.
    connections_.push_back(
        lyrics_.wasReset.connect([this] { showSelection(0, lyrics_.count() - 1); }));
    connections_.push_back(lyrics_.showRequested.connect([this](int line) { makeVisible(line); }));
    connections_.push_back(lyrics_.editRequested.connect([this](int line) { beginEdit(line); }));
    lyrics_.setTopVisibleLine(0);
    showSelection(0, lyrics_.count() - 1);
}

void LyricListWidget::makeVisible(int index) {
    const QModelIndex cell = model_->index(index, LyricListModel::kLyricColumn);
    if (!cell.isValid()) return;
    // A row that shows even in part counts as visible and is left in place.
    if (visualRect(cell).intersects(viewport()->rect())) return;
    scrollTo(cell, EnsureVisible);
}

void LyricListWidget::beginEdit(int index) {
    const QModelIndex cell = model_->index(index, LyricListModel::kLyricColumn);
    if (!cell.isValid()) return;
    setFocus();
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
    edit(cell);
}

void LyricListWidget::reportTopRow() {
    const int row = rowAt(0);
    lyrics_.setTopVisibleLine(row < 0 ? 0 : row);
}

void LyricListWidget::fitLyricsColumn() {
    lyricsColumnFollows_ = true;
    fitLyricsColumnToList();
}

void LyricListWidget::fitLyricsColumnToList() {
    fittingLyricsColumn_ = true;
    resizeColumnToContents(LyricListModel::kLyricColumn);
    // Short or no lyrics would leave a narrow column and an empty band
    // beside the times; the column fills the list at least.
    const int fill = viewport()->width() - columnWidth(LyricListModel::kTimeColumn);
    if (columnWidth(LyricListModel::kLyricColumn) < fill) {
        setColumnWidth(LyricListModel::kLyricColumn, fill);
    }
    fittingLyricsColumn_ = false;
}

void LyricListWidget::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    if (lyricsColumnFollows_) fitLyricsColumnToList();
}

void LyricListWidget::restoreColumnWidths(int lyricWidth, int timeWidth) {
    if (lyricWidth > 0) setColumnWidth(LyricListModel::kLyricColumn, lyricWidth);
    if (timeWidth > 0) {
        setColumnWidth(LyricListModel::kTimeColumn, std::max(timeWidth, fittedTimeColumnWidth()));
    }
}

int LyricListWidget::fittedTimeColumnWidth() const {
    // The cell's text margins on both sides, as the item delegate lays them out.
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    const int times = fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + margins + 1;
    return std::max({kTimeColumnWidth, times,
                     horizontalHeader()->sectionSizeHint(LyricListModel::kTimeColumn)});
}

bool LyricListWidget::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!QTableView::edit(index, trigger, event)) return false;
    // The view selects the whole text of a new editor; a key meant for the
    // list would then wipe the lyric.
    if (auto* editor = qobject_cast<QLineEdit*>(focusWidget())) {
        editor->deselect();
        editor->end(false);
    }
    return true;
}

void LyricListWidget::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) fitToFont();
}

void LyricListWidget::fitToFont() {
    QFont draft = font();
    draft.setItalic(true);
    model_->setDraftFont(draft);
    verticalHeader()->setDefaultSectionSize(std::max(kImageSize + 2, fontMetrics().height() + 4));
    setColumnWidth(LyricListModel::kTimeColumn, fittedTimeColumnWidth());
}

void LyricListWidget::viewSelectionChanged(const QItemSelection& selected,
                                           const QItemSelection& deselected) {
    // Rows going or coming change the view's selection on their own; the
    // list has already made the same change to its lines.
    if (syncingSelection_ || model_->isChangingRows()) return;
    const SyncGuard guard(syncingSelection_);
    for (const QModelIndex& index : deselected.indexes()) {
        if (index.column() == 0 && index.row() < lyrics_.count()) lyrics_.deselect(index.row());
    }
    for (const QModelIndex& index : selected.indexes()) {
        if (index.column() == 0 && index.row() < lyrics_.count()) lyrics_.select(index.row());
    }
}

void LyricListWidget::showSelection(int first, int last) {
    if (syncingSelection_) return;
    // Runs of lines become one range each: the view tests every painted cell
    // against every range.
    QItemSelection selection;
    QItemSelection deselection;
    const int lastColumn = model_->columnCount() - 1;
    for (int row = first; row <= last;) {
        const bool selected = lyrics_.line(row).selected;
        const int runStart = row;
        while (row <= last && lyrics_.line(row).selected == selected) ++row;
        (selected ? selection : deselection)
            .select(model_->index(runStart, 0), model_->index(row - 1, lastColumn));
    }
    const SyncGuard guard(syncingSelection_);
    selectionModel()->select(deselection, QItemSelectionModel::Deselect);
    selectionModel()->select(selection, QItemSelectionModel::Select);
}

}  // namespace obrin
