#pragma once

#include <QObject>
#include <string>

#include "base/signal.h"
#include "document/document.h"

class QLineEdit;
class QPlainTextEdit;

namespace obrin {

class Dialogs;

// Keeps a text control and one text field of the document the same: what the
// user types goes into the document at once, as Shift-JIS, and what the
// document gets from elsewhere (a lyrics file read, a paste) shows in the
// control. A character Shift-JIS cannot hold is refused with a message, and
// the control shows the document's text again. What is typed between
// entering and leaving the control is one step of the history. Lives as long
// as its control.
class SongFieldBinding : public QObject {
    Q_OBJECT
  public:
    // The title or the artist in a one-line field.
    SongFieldBinding(QLineEdit& edit, Document& document, DocumentField field, Dialogs& dialogs);
    // The InfoLines in the information pane, one line per row.
    SongFieldBinding(QPlainTextEdit& pane, Document& document, Dialogs& dialogs);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void bind(DocumentField field);
    // Typing into the field, one step of the history per burst.
    std::string typingCaption() const;
    std::string typingBurst() const;
    void controlChanged();
    // After a refused keystroke the caret stays about where it was; a new
    // value from elsewhere shows from its start.
    void showDocument(bool keepCursor);

    QLineEdit* edit_ = nullptr;
    QPlainTextEdit* pane_ = nullptr;
    Document& document_;
    DocumentField field_;
    Dialogs& dialogs_;
    // Set while the control shows the document, so that showing is not taken
    // for typing: bytes that show only as replacement characters must stay.
    bool showing_ = false;
    Connection documentChanged_;
};

}  // namespace obrin
