#include "shell/qt/assigned_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <string>

#include "base/command_ids.h"
#include "base/command_table.h"
#include "document/confirm_runs.h"
#include "document/karaoke_tapping.h"
#include "document/qt/lyric_list_widget.h"
#include "shell/editor.h"
#include "shell/key_assignment.h"
#include "shell/qt/main_window.h"
#include "shell/qt/undo_keys.h"
#include "shell/qt/virtual_keys.h"

namespace obrin {

AssignedKeys::AssignedKeys(MainWindow& window, const Editor& editor, const ConfirmRuns& confirm,
                           KaraokeTapping& karaoke, const UndoKeys& undoKeys,
                           const CommandTable& commands)
    : QObject(&window),
      window_(window),
      editor_(editor),
      confirm_(confirm),
      karaoke_(karaoke),
      undoKeys_(undoKeys),
      commands_(commands) {
    for (CommandId id : kAssignableCommands) {
        if (commands_.contains(id)) {
            registered_.push_back(id);
        } else {
            qWarning("No command %s is registered for its assigned key",
                     std::string(id.objectName()).c_str());
        }
    }
    qApp->installEventFilter(this);
}

AssignedKeys::~AssignedKeys() {
    qApp->removeEventFilter(this);
}

bool AssignedKeys::typingField() const {
    const QWidget* focus = QApplication::focusWidget();
    for (const QWidget* field :
         {static_cast<QWidget*>(window_.titleField()), static_cast<QWidget*>(window_.artistField()),
          static_cast<QWidget*>(window_.infoPane()), static_cast<QWidget*>(window_.completedText()),
          static_cast<QWidget*>(window_.lyricList())}) {
        if (focus && (focus == field || field->isAncestorOf(focus))) return true;
    }
    return false;
}

bool AssignedKeys::dispatch(const QKeyEvent& event) {
    if (typingField() || confirm_.isRunning() || undoKeys_.matches(event)) return false;
    std::optional<CommandId> command = MatchAssignedKey(editor_.settings(), VirtualKeyOf(event));
    if (command && std::ranges::find(registered_, *command) == registered_.end())
        command = std::nullopt;
    if (karaoke_.isOn() && dispatchKaraoke(event, command)) return true;
    if (!command || event.type() != QEvent::KeyPress) return false;
    commands_.trigger(*command);
    return true;
}

bool AssignedKeys::dispatchKaraoke(const QKeyEvent& event, std::optional<CommandId> command) {
    const bool press = event.type() == QEvent::KeyPress;
    if (event.key() == Qt::Key_Backspace) {
        if (press && !event.isAutoRepeat()) karaoke_.takeBack();
        return true;
    }
    if (!command) return false;
    if (event.isAutoRepeat()) return true;
    if (!press && *command == command::kMark) {
        karaoke_.release();
        return true;
    }
    return false;
}

bool AssignedKeys::eventFilter(QObject* watched, QEvent* event) {
    // Application-wide filters see a key once per widget it propagates to;
    // only the first stop, the focused control of the window, counts.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* target = qobject_cast<QWidget*>(watched);
        if (target && target->window() == &window_ && window_.isEnabled() &&
            (target == QApplication::focusWidget() || target == &window_) &&
            dispatch(static_cast<const QKeyEvent&>(*event))) {
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace obrin
