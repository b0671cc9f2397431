#include "shell/qt/undo_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <string>

#include "base/command_ids.h"
#include "base/command_table.h"

namespace obrin {

namespace {

bool IsEditableText(const QWidget* widget) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) return !edit->isReadOnly();
    if (const auto* edit = qobject_cast<const QPlainTextEdit*>(widget)) return !edit->isReadOnly();
    if (const auto* edit = qobject_cast<const QTextEdit*>(widget)) return !edit->isReadOnly();
    return false;
}

}  // namespace

UndoKeys::UndoKeys(QWidget& window, const CommandTable& table) : QObject(&window), window_(window) {
    for (CommandId id : {command::kUndo, command::kRedo}) {
        const Command& entry = table.at(id);
        for (const std::string& key : {entry.shortcut, entry.alternateShortcut}) {
            if (!key.empty())
                keys_.append(QKeySequence(QString::fromStdString(key), QKeySequence::PortableText));
        }
    }
    qApp->installEventFilter(this);
}

UndoKeys::~UndoKeys() {
    qApp->removeEventFilter(this);
}

bool UndoKeys::matches(const QKeyEvent& event) const {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    return keys_.contains(QKeySequence(QKeyCombination(modifiers, Qt::Key(event.key()))));
}

bool UndoKeys::eventFilter(QObject* watched, QEvent* event) {
    // Accepting the override hands the key to the field instead of the
    // window's shortcut.
    if (event->type() == QEvent::ShortcutOverride) {
        const QWidget* focus = QApplication::focusWidget();
        if (watched == focus && focus && focus->window() == &window_ && IsEditableText(focus) &&
            matches(static_cast<const QKeyEvent&>(*event))) {
            event->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace obrin
