#include "text/qt/paste_window.h"

#include <QActionGroup>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QSplitter>
#include <QVBoxLayout>
#include <new>

#include "base/command_ids.h"
#include "base/dialogs.h"
#include "base/qt/command_actions.h"
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

    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("Splitter1"));
    splitter_->setChildrenCollapsible(false);
    sourcePane_ = new QPlainTextEdit(splitter_);
    sourcePane_->setObjectName(QStringLiteral("Memo"));
    sourcePane_->setReadOnly(true);
    sourcePane_->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPalette grey = sourcePane_->palette();
    grey.setColor(QPalette::Base, QColor(Qt::lightGray));
    sourcePane_->setPalette(grey);
    editPane_ = new QPlainTextEdit(splitter_);
    editPane_->setObjectName(QStringLiteral("RichEdit"));
    editPane_->setLineWrapMode(QPlainTextEdit::NoWrap);
    splitter_->addWidget(sourcePane_);
    splitter_->addWidget(editPane_);
    splitter_->setStretchFactor(1, 1);

    // The layout items show the splitter's orientation.
    registerCommands();
    auto* bar = new QMenuBar(this);
    buildMenuBar(*bar);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(bar);
    layout->addWidget(splitter_);
}

void PasteWindow::registerCommands() {
    using namespace command::paste;
    commands_.add({.id = kClose, .caption = "終了(&X)", .run = [this] { close(); }});
    commands_.add(
        {.id = kPaste, .caption = "貼り付け(&V)", .run = [this] { pasteClipboard(false); }});
    commands_.add({.id = kPasteExpanded, .caption = "自動展開をして貼り付け(&A)", .run = [this] {
                       pasteClipboard(true);
                   }});
    commands_.add({.id = kPasteFile, .caption = "ファイルから貼り付け(&F)", .run = [this] {
                       pasteFile(false);
                   }});
    commands_.add({.id = kPasteFileExpanded,
                   .caption = "自動展開してファイルから貼り付け(&U)",
                   .run = [this] { pasteFile(true); }});
    commands_.add({.id = kVertical,
                   .caption = "縦(&T)",
                   .checked = [this] { return isVertical(); },
                   .run = [this] { setVertical(true); }});
    commands_.add({.id = kHorizontal,
                   .caption = "横(&Y)",
                   .checked = [this] { return !isVertical(); },
                   .run = [this] { setVertical(false); }});
}

void PasteWindow::buildMenuBar(QMenuBar& bar) {
    using namespace command::paste;
    actions_ = new CommandActions(commands_, this);
    bar.addMenu(QStringLiteral("ファイル(&F)"))->addAction(actions_->action(kClose));
    QMenu* paste = bar.addMenu(QStringLiteral("貼り付け(&V)"));
    for (CommandId id : {kPaste, kPasteExpanded, kPasteFile, kPasteFileExpanded})
        paste->addAction(actions_->action(id));
    QMenu* view = bar.addMenu(QStringLiteral("表示(&I)"));
    auto* layouts = new QActionGroup(this);
    for (CommandId id : {kVertical, kHorizontal})
        view->addAction(layouts->addAction(actions_->action(id)));
}

bool PasteWindow::isVertical() const {
    return splitter_->orientation() == Qt::Vertical;
}

void PasteWindow::setVertical(bool vertical) {
    const int sourceSize = splitter_->sizes().value(isVertical() ? 0 : 1);
    splitter_->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
    // Vertical: source above the edit pane; horizontal: source at the right.
    splitter_->insertWidget(vertical ? 0 : 1, sourcePane_);
    actions_->refresh();
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
    layout.sourceSize = isVertical() ? sourcePane_->height() : sourcePane_->width();
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
    sourcePane_->setPlainText(LinesToText(source));
    editPane_->setPlainText(LinesToText(edit));
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
        editLines_ = TextToLines(editPane_->toPlainText());
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
