#pragma once

#include <QObject>
#include <optional>
#include <vector>

#include "base/command_id.h"

class QKeyEvent;

namespace obrin {

class CommandTable;
class ConfirmRuns;
class Editor;
class KaraokeTapping;
class MainWindow;
class UndoKeys;

// The keys the user assigned to Mark, the check of the previous line and
// play/pause, seen before the control with the focus sees them. A key
// triggers its command through the table, as its button would (a disabled
// command does nothing, and the key is still used up), except where the user
// types text (title, artist, information pane, the completed text, the list)
// and while a confirm run is in progress. The undo and redo keys are never
// taken for an assigned key, even when there is nothing to undo: Ctrl+Z must
// not mark on a key assigned Z.
//
// While the karaoke tapping is on, Backspace takes back the last tap
// (whatever it is assigned), the Mark key's release goes to the tapping, and
// a held key's repeats do nothing: a tap is one press.
class AssignedKeys final : public QObject {
    Q_OBJECT
  public:
    // An assignable command missing from `commands` is a wiring fault: it is
    // reported here, and its key then passes to the focused control.
    AssignedKeys(MainWindow& window, const Editor& editor, const ConfirmRuns& confirm,
                 KaraokeTapping& karaoke, const UndoKeys& undoKeys, const CommandTable& commands);
    ~AssignedKeys() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // True when the key was an assigned one, used up.
    bool dispatch(const QKeyEvent& event);
    // The same for the karaoke tapping's keys; true when used up.
    bool dispatchKaraoke(const QKeyEvent& event, std::optional<CommandId> command);
    bool typingField() const;

    MainWindow& window_;
    const Editor& editor_;
    const ConfirmRuns& confirm_;
    KaraokeTapping& karaoke_;
    const UndoKeys& undoKeys_;
    const CommandTable& commands_;
    std::vector<CommandId> registered_;
};

}  // namespace obrin
