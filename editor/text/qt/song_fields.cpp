#include "text/qt/song_fields.h"

#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>

#include "base/dialogs.h"
#include "base/sjis_codec.h"
#include "text/qt/sjis_qt.h"

namespace obrin {

SongFieldBinding::SongFieldBinding(QLineEdit& edit, Document& document, DocumentField field,
                                   Dialogs& dialogs)
    : QObject(&edit), edit_(&edit), document_(document), field_(field), dialogs_(dialogs) {
    connect(&edit, &QLineEdit::textChanged, this, &SongFieldBinding::controlChanged);
    edit.installEventFilter(this);
    bind(field);
}

SongFieldBinding::SongFieldBinding(QPlainTextEdit& pane, Document& document, Dialogs& dialogs)
    : QObject(&pane),
      pane_(&pane),
      document_(document),
      field_(DocumentField::InfoLines),
      dialogs_(dialogs) {
    connect(&pane, &QPlainTextEdit::textChanged, this, &SongFieldBinding::controlChanged);
    pane.installEventFilter(this);
    bind(DocumentField::InfoLines);
}

void SongFieldBinding::bind(DocumentField field) {
    documentChanged_ = document_.fieldChanged.connect([this, field](DocumentField changed) {
        if (changed == field && !showing_) showDocument(false);
    });
    showDocument(false);
}

void SongFieldBinding::controlChanged() {
    if (showing_) return;
    std::string bytes;
    std::vector<std::string> lines;
    try {
        if (edit_) {
            bytes = ToSjis(edit_->text());
        } else {
            lines = TextToLines(pane_->toPlainText());
        }
    } catch (const SjisError& error) {
        // The message box waits until the keystroke is done: a modal loop
        // inside the control's own change would see it half made.
        QTimer::singleShot(
            0, this, [this, message = std::string(error.what())] { dialogs_.showError(message); });
        showDocument(true);
        return;
    }
    showing_ = true;
    const UndoHistory::Step step = document_.history.beginTyping(typingCaption(), typingBurst());
    if (field_ == DocumentField::Title) {
        document_.setTitle(std::move(bytes));
    } else if (field_ == DocumentField::Artist) {
        document_.setArtist(std::move(bytes));
    } else {
        document_.setInfoLines(std::move(lines));
    }
    showing_ = false;
}

bool SongFieldBinding::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the field ends what counts as one burst of typing.
    if (event->type() == QEvent::FocusOut) document_.history.endTyping();
    return QObject::eventFilter(watched, event);
}

std::string SongFieldBinding::typingCaption() const {
    switch (field_) {
        case DocumentField::Title:
            return "曲名の入力";
        case DocumentField::Artist:
            return "歌手の入力";
        default:
            return "情報の入力";
    }
}

std::string SongFieldBinding::typingBurst() const {
    return std::to_string(static_cast<int>(field_));
}

void SongFieldBinding::showDocument(bool keepCursor) {
    showing_ = true;
    if (edit_) {
        const int cursor = edit_->cursorPosition();
        edit_->setText(
            FromSjis(field_ == DocumentField::Title ? document_.title() : document_.artist()));
        if (keepCursor) edit_->setCursorPosition(cursor > 0 ? cursor - 1 : 0);
    } else {
        const int cursor = pane_->textCursor().position();
        pane_->setPlainText(LinesToText(document_.infoLines()));
        QTextCursor at = pane_->textCursor();
        at.setPosition(
            keepCursor ? std::clamp(cursor - 1, 0, pane_->document()->characterCount() - 1) : 0);
        pane_->setTextCursor(at);
    }
    showing_ = false;
}

}  // namespace obrin
