#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "base/command_table.h"
#include "text/edited_paste.h"
#include "text/lyrics_expansion.h"
#include "text/text_encoding.h"

class QMenuBar;
class QPlainTextEdit;
class QSplitter;

namespace obrin {

class Clipboard;
class CommandActions;
class Dialogs;
class Document;

// The paste window `TPasteForm` ("貼り付け"): a read-only source pane `Memo`
// with the text as taken, and the edit pane `RichEdit` whose lines become the
// lyrics. It has no cancel: however it closes, the edit pane wins.
class PasteWindow final : public QDialog {
    Q_OBJECT
  public:
    // `document` is the one the expansion empties InfoLines of; `options` is
    // read each time an expansion runs. `encoding` is the one the file
    // buttons' dialog offers first, and takes the user's pick.
    PasteWindow(Document& document, Clipboard& clipboard, Dialogs& dialogs,
                std::function<ExpansionOptions()> options, TextEncoding& encoding,
                QWidget* parent = nullptr);

    // Applies the stored layout: source pane size, vertical or horizontal,
    // window size.
    void applyLayout(const PasteLayout& layout);
    // The layout to store when the window closes; the size only in the
    // window's normal state.
    [[nodiscard]] PasteLayout layout(const PasteLayout& previous) const;

    // The edit pane's lines once the window has closed.
    [[nodiscard]] const std::vector<std::string>& editLines() const { return editLines_; }

    QPlainTextEdit* sourcePane() const { return sourcePane_; }
    QPlainTextEdit* editPane() const { return editPane_; }
    bool isVertical() const;
    void setVertical(bool vertical);

    // Closing by any way (frame, Escape, Exit1) keeps the edit pane's lines.
    void reject() override;
    void accept() override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void registerCommands();
    void buildMenuBar(QMenuBar& bar);
    void pasteClipboard(bool expand);
    void pasteFile(bool expand);
    void showPanes(const std::vector<std::string>& source, const std::vector<std::string>& edit);
    // Shows `lines` beside their expansion (or themselves); an expansion too
    // large for memory is reported and the panes stay as they were.
    void showPasted(const std::vector<std::string>& lines, bool expand);
    void finish();

    Document& document_;
    Clipboard& clipboard_;
    Dialogs& dialogs_;
    std::function<ExpansionOptions()> options_;
    TextEncoding& encoding_;
    QSplitter* splitter_ = nullptr;
    QPlainTextEdit* sourcePane_ = nullptr;
    QPlainTextEdit* editPane_ = nullptr;
    CommandTable commands_;
    CommandActions* actions_ = nullptr;
    std::vector<std::string> editLines_;
};

// Edit and paste (P4): shows the window modally and, when it closes, stores
// its layout and replaces the lyrics by the edit pane's lines.
void RunEditAndPaste(Document& document, Clipboard& clipboard, Dialogs& dialogs,
                     std::function<ExpansionOptions()> options, PasteLayout& layout,
                     TextEncoding& encoding, const QFont& font, QWidget* parent);

}  // namespace obrin
