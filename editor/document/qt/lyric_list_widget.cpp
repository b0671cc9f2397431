#include "document/qt/lyric_list_widget.h"

#include <QEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTimer>
#include <algorithm>

#include "base/dialogs.h"
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

LyricListModel::LyricListModel(LyricList& lyrics, Dialogs& dialogs, QObject* parent)
    : QAbstractTableModel(parent), lyrics_(lyrics), dialogs_(dialogs) {}

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
    } else if (role == Qt::DisplayRole) {
        return QString::fromStdString(line.timeText);
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
        lyrics_.setLyricText(index.row(), Utf8ToSjis(text.toStdString()));
    } catch (const SjisError& error) {
        // The editor is still closing when we get here; the message box must
        // wait until it is gone, or its focus change would commit again.
        QTimer::singleShot(
            0, this, [this, message = std::string(error.what())] { dialogs_.showError(message); });
        return false;
    }
    return true;
}

void LyricListModel::rowsWereInserted(int first, int count) {
    beginInsertRows({}, first, first + count - 1);
    endInsertRows();
}

void LyricListModel::rowsWereRemoved(int first, int count) {
    beginRemoveRows({}, first, first + count - 1);
    endRemoveRows();
}

void LyricListModel::rowWasChanged(int row) {
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void LyricListModel::wasReset() {
    beginResetModel();
    endResetModel();
}

LyricListWidget::LyricListWidget(LyricList& lyrics, Dialogs& dialogs, QWidget* parent)
    : QTableView(parent), lyrics_(lyrics), model_(new LyricListModel(lyrics, dialogs, this)) {
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

    // The selection is the user's working position: keep it as visible
    // while another control has the focus as while the list has it.
    QPalette pal = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    }
    setPalette(pal);

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &LyricListWidget::viewSelectionChanged);
    lyrics_.setObserver(this);
    lyrics_.setView(this);
    showCoreSelection();
}

LyricListWidget::~LyricListWidget() {
    lyrics_.setObserver(nullptr);
    lyrics_.setView(nullptr);
}

void LyricListWidget::linesInserted(int first, int count) {
    const SyncGuard guard(syncing_);
    model_->rowsWereInserted(first, count);
}

void LyricListWidget::linesRemoved(int first, int count) {
    const SyncGuard guard(syncing_);
    model_->rowsWereRemoved(first, count);
}

void LyricListWidget::lineChanged(int index) {
    model_->rowWasChanged(index);
}

void LyricListWidget::selectionChanged(int index) {
    if (syncing_) return;
    selectRowInView(index, lyrics_.line(index).selected);
}

void LyricListWidget::selectionReset() {
    if (syncing_) return;
    showCoreSelection();
}

void LyricListWidget::listReset() {
    {
        const SyncGuard guard(syncing_);
        model_->wasReset();
    }
    showCoreSelection();
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

int LyricListWidget::topVisibleIndex() const {
    if (lyrics_.count() == 0) return LyricList::kNone;
    const int row = rowAt(0);
    return row < 0 ? 0 : row;
}

void LyricListWidget::fitLyricsColumn() {
    resizeColumnToContents(LyricListModel::kLyricColumn);
    // Short or no lyrics would leave a narrow column and an empty band
    // beside the times; the column fills the list at least.
    const int fill = viewport()->width() - columnWidth(LyricListModel::kTimeColumn);
    if (columnWidth(LyricListModel::kLyricColumn) < fill) {
        setColumnWidth(LyricListModel::kLyricColumn, fill);
    }
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
    verticalHeader()->setDefaultSectionSize(std::max(kImageSize + 2, fontMetrics().height() + 4));
    setColumnWidth(LyricListModel::kTimeColumn, fittedTimeColumnWidth());
}

void LyricListWidget::viewSelectionChanged(const QItemSelection& selected,
                                           const QItemSelection& deselected) {
    if (syncing_) return;
    const SyncGuard guard(syncing_);
    for (const QModelIndex& index : deselected.indexes()) {
        if (index.column() == 0 && index.row() < lyrics_.count()) lyrics_.deselect(index.row());
    }
    for (const QModelIndex& index : selected.indexes()) {
        if (index.column() == 0 && index.row() < lyrics_.count()) lyrics_.select(index.row());
    }
}

void LyricListWidget::selectRowInView(int row, bool selected) {
    const SyncGuard guard(syncing_);
    selectionModel()->select(model_->index(row, 0), (selected ? QItemSelectionModel::Select
                                                              : QItemSelectionModel::Deselect) |
                                                        QItemSelectionModel::Rows);
}

void LyricListWidget::showCoreSelection() {
    const SyncGuard guard(syncing_);
    // Runs of selected lines become one range each: the view tests every
    // painted cell against every range.
    QItemSelection selection;
    const int last = model_->columnCount() - 1;
    for (int row = 0; row < lyrics_.count();) {
        if (!lyrics_.line(row).selected) {
            ++row;
            continue;
        }
        const int first = row;
        while (row < lyrics_.count() && lyrics_.line(row).selected) ++row;
        selection.select(model_->index(first, 0), model_->index(row - 1, last));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

}  // namespace obrin
