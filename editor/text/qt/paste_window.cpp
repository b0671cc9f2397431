#include "text/qt/paste_window.h"

#include <QActionGroup>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QSplitter>
#include <QVBoxLayout>
#include <new>

#include "base/dialogs.h"
#include "base/sjis_codec.h"
#include "text/clipboard_paste.h"
#include "text/qt/sjis_qt.h"
#include "text/text_file_choice.h"
#include "text/text_input.h"
#include "text/text_lines.h"
#include "text/text_messages.h"

namespace obrin {
namespace {

constexpr const char* kTextFileFilter = "テキストファイル(*.txt)|*.txt|全てのファイル(*.*)|*.*";

QAction* AddItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

}  // namespace

PasteWindow::PasteWindow(Document& document, Clipboard& clipboard, Dialogs& dialogs,
                         std::function<ExpansionOptions()> options, TextEncoding& encoding,
                         QWidget* parent)
    : QDialog(parent),
      document_(document),
      clipboard_(clipboard),
      dialogs_(dialogs),
      options_(std::move(options)),
      encoding_(encoding) {
    setObjectName(QStringLiteral("PasteForm"));
    setWindowTitle(QStringLiteral("貼り付け"));

    auto* bar = new QMenuBar(this);
    QMenu* file = bar->addMenu(QStringLiteral("ファイル(&F)"));
    connect(AddItem(file, "Exit1", QStringLiteral("終了(&X)")), &QAction::triggered, this,
            &QDialog::close);
    QMenu* paste = bar->addMenu(QStringLiteral("貼り付け(&V)"));
    connect(AddItem(paste, "V1", QStringLiteral("貼り付け(&V)")), &QAction::triggered, this,
            [this] { pasteClipboard(false); });
    connect(AddItem(paste, "A1", QStringLiteral("自動展開をして貼り付け(&A)")), &QAction::triggered,
            this, [this] { pasteClipboard(true); });
    connect(AddItem(paste, "F1", QStringLiteral("ファイルから貼り付け(&F)")), &QAction::triggered,
            this, [this] { pasteFile(false); });
    connect(AddItem(paste, "F2", QStringLiteral("自動展開してファイルから貼り付け(&U)")),
            &QAction::triggered, this, [this] { pasteFile(true); });
    QMenu* view = bar->addMenu(QStringLiteral("表示(&I)"));
    layoutGroup_ = new QActionGroup(this);
    for (const auto& [name, caption] :
         {std::pair{"T1", QStringLiteral("縦(&T)")}, std::pair{"Y1", QStringLiteral("横(&Y)")}}) {
        QAction* item = AddItem(view, name, caption);
        item->setCheckable(true);
        layoutGroup_->addAction(item);
    }
    findChild<QAction*>(QStringLiteral("T1"))->setChecked(true);
    connect(findChild<QAction*>(QStringLiteral("T1")), &QAction::triggered, this,
            [this] { setVertical(true); });
    connect(findChild<QAction*>(QStringLiteral("Y1")), &QAction::triggered, this,
            [this] { setVertical(false); });

    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("Splitter1"));
    splitter_->setChildrenCollapsible(false);
    memo_ = new QPlainTextEdit(splitter_);
    memo_->setObjectName(QStringLiteral("Memo"));
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPalette grey = memo_->palette();
    grey.setColor(QPalette::Base, QColor(Qt::lightGray));
    memo_->setPalette(grey);
    richEdit_ = new QPlainTextEdit(splitter_);
    richEdit_->setObjectName(QStringLiteral("RichEdit"));
    richEdit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    splitter_->addWidget(memo_);
    splitter_->addWidget(richEdit_);
    splitter_->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(bar);
    layout->addWidget(splitter_);
}

bool PasteWindow::isVertical() const {
    return splitter_->orientation() == Qt::Vertical;
}

void PasteWindow::setVertical(bool vertical) {
    const int sourceSize = splitter_->sizes().value(isVertical() ? 0 : 1);
    splitter_->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
    // Vertical: source above the edit pane; horizontal: source at the right.
    splitter_->insertWidget(vertical ? 0 : 1, memo_);
    findChild<QAction*>(QString::fromLatin1(vertical ? "T1" : "Y1"))->setChecked(true);
    const int total = vertical ? splitter_->height() : splitter_->width();
    const int source = vertical ? sourceSize : PaneWidthForWindow(width());
    splitter_->setSizes(vertical ? QList<int>{source, std::max(0, total - source)}
                                 : QList<int>{std::max(0, total - source), source});
}

void PasteWindow::applyLayout(const PasteLayout& layout) {
    resize(layout.width, layout.height);
    setVertical(layout.vertical);
    const int total = layout.vertical ? splitter_->height() : splitter_->width();
    splitter_->setSizes(
        layout.vertical ? QList<int>{layout.sourceSize, std::max(0, total - layout.sourceSize)}
                        : QList<int>{std::max(0, total - layout.sourceSize), layout.sourceSize});
}

PasteLayout PasteWindow::layout(const PasteLayout& previous) const {
    PasteLayout layout = previous;
    layout.vertical = isVertical();
    layout.sourceSize = isVertical() ? memo_->height() : memo_->width();
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))) {
        layout.width = width();
        layout.height = height();
    }
    return layout;
}

void PasteWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (isVertical()) return;
    // Both panes take half the window's width; the edit pane fills the rest.
    const int source = PaneWidthForWindow(event->size().width());
    splitter_->setSizes({std::max(0, splitter_->width() - source), source});
}

void PasteWindow::showPanes(const std::vector<std::string>& source,
                            const std::vector<std::string>& edit) {
    memo_->setPlainText(LinesToText(source));
    richEdit_->setPlainText(LinesToText(edit));
}

void PasteWindow::pasteClipboard(bool expand) {
    const ClipboardText text = TakeClipboardText(clipboard_, dialogs_);
    if (text.status == ClipboardTake::Invalid) dialogs_.showInformation(kClipboardInvalidMessage);
    if (text.status != ClipboardTake::Taken) return;
    showPasted(CutLines(text.sjis), expand);
}

void PasteWindow::pasteFile(bool expand) {
    FileDialogRequest request;
    request.filter = kTextFileFilter;
    const auto path = ChooseTextFile(dialogs_, request, encoding_);
    if (!path) return;
    const TextRead text = ReadTextInput(*path, encoding_, AskBeforeReplacing(dialogs_));
    // Only the plain paste reports a file that cannot be opened; text that
    // cannot be decoded is reported by both.
    if (text.status == TextReadStatus::Rejected ||
        (text.status == TextReadStatus::Unreadable && !expand))
        dialogs_.showError(text.message);
    if (text.status != TextReadStatus::Read) return;
    showPasted(CutLines(text.sjis), expand);
}

void PasteWindow::showPasted(const std::vector<std::string>& lines, bool expand) {
    if (!expand) {
        showPanes(lines, lines);
        return;
    }
    try {
        showPanes(lines, ExpandLyrics(document_, lines, options_()));
    } catch (const std::bad_alloc&) {
        dialogs_.showError(kOutOfMemoryMessage);
    }
}

void PasteWindow::finish() {
    try {
        editLines_ = TextToLines(richEdit_->toPlainText());
    } catch (const SjisError& e) {
        // The window stays open so the user can change the character; closing
        // must never drop or alter what was typed.
        dialogs_.showError(e.what());
        return;
    }
    QDialog::done(QDialog::Accepted);
}

void PasteWindow::reject() {
    finish();
}

void PasteWindow::accept() {
    finish();
}

void RunEditAndPaste(Document& document, Clipboard& clipboard, Dialogs& dialogs,
                     std::function<ExpansionOptions()> options, PasteLayout& layout,
                     TextEncoding& encoding, const QFont& font, QWidget* parent) {
    PasteWindow form(document, clipboard, dialogs, std::move(options), encoding, parent);
    form.sourcePane()->setFont(font);
    form.editPane()->setFont(font);
    form.applyLayout(layout);
    form.exec();
    layout = form.layout(layout);
    FinishEditedPaste(document, form.editLines());
}

}  // namespace obrin
