#pragma once

#include <QObject>
#include <QPointer>
#include <utility>
#include <vector>

#include "base/command_table.h"

class QAbstractButton;
class QAction;

namespace obrin {

// The Qt face of one window's commands: the one QAction of each command
// (object name, caption, shortcut, check mark from its entry), placed in as
// many menus as show it, and the buttons that run one. Every item, button and
// key of the window runs its command through `trigger`, so a command that is
// disabled now does nothing, whatever the item still shows.
class CommandActions final : public QObject {
    Q_OBJECT
  public:
    CommandActions(const CommandTable& table, QObject* parent);

    // The item of a command, made on first use and the same ever after.
    // Throws std::logic_error for an id nobody registered.
    QAction* action(CommandId id);
    // A button that runs the command when clicked; it keeps its own caption,
    // and its enabled state follows the command's.
    void bindButton(QAbstractButton& button, CommandId id);

    // Runs the command if it is enabled now, then shows what it changed (a
    // setting behind a check mark); true when it ran.
    bool trigger(CommandId id);
    // Shows every item's and button's enabled-check, check mark and current
    // caption as they are now.
    void refresh();

  private:
    void show(CommandId id, QAction& action);

    const CommandTable& table_;
    std::vector<std::pair<CommandId, QAction*>> actions_;
    std::vector<std::pair<CommandId, QPointer<QAbstractButton>>> buttons_;
};

}  // namespace obrin
