#pragma once

#include <QObject>
#include <utility>
#include <vector>

#include "base/command_table.h"

class QAbstractButton;
class QAction;

namespace obrin {

// The Qt face of commands: the QAction of each command placed in a menu
// (object name, caption, shortcut, check mark from its entry) and the buttons
// that run one. Triggering an item or clicking a button runs the command
// through the table.
class CommandActions final : public QObject {
    Q_OBJECT
  public:
    CommandActions(const CommandTable& table, QObject* parent);

    // The item of a command, made on first use. Throws std::logic_error
    // for an id nobody registered.
    QAction* action(CommandId id);
    // A button that runs the command when clicked. The button keeps its own
    // caption and enabled state.
    void bindButton(QAbstractButton& button, CommandId id);

    // Shows every item's enabled-check, check mark and current caption as
    // they are now.
    void refresh();
    // The same for one command's item, if it has one.
    void refreshItem(CommandId id);
    // Shows the check marks only; the enabled states stay as they are.
    void refreshCheckMarks();
    // Enables every item, whatever its check says.
    void enableAll();

  private:
    void show(CommandId id, QAction& action);

    const CommandTable& table_;
    std::vector<std::pair<CommandId, QAction*>> actions_;
};

}  // namespace obrin
