#pragma once

#include <QObject>

class QKeyEvent;

namespace obrin {

class CommandTable;
class ConfirmRuns;
class Editor;
class MainWindow;
class UndoKeys;

// The keys the user assigned to Mark, the check of the previous line and
// play/pause, seen before the control with the focus sees them. A key acts
// exactly as a click on its command's button would (a disabled button does
// nothing, and the key is still used up), except where the user types text
// (title, artist, information pane, the list) and while a confirm run is in
// progress. The undo and redo keys are never taken for an assigned key, even
// when there is nothing to undo: Ctrl+Z must not mark on a key assigned Z.
class AssignedKeys final : public QObject {
    Q_OBJECT
  public:
    AssignedKeys(MainWindow& window, const Editor& editor, const ConfirmRuns& confirm,
                 const UndoKeys& undoKeys);
    ~AssignedKeys() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // True when the key triggered a command.
    bool dispatch(const QKeyEvent& event);

    MainWindow& window_;
    const Editor& editor_;
    const ConfirmRuns& confirm_;
    const UndoKeys& undoKeys_;
};

}  // namespace obrin
