#pragma once

#include <QObject>

#include "base/command_id.h"

class QMenuBar;

namespace obrin {

class CommandActions;
class CommandTable;

// The main window's menu bar: its layout (menus, submenus, separators and
// the order of the items) with every item taken from the command table.
// Menus that are never shown exist hidden; items that have no behaviour
// exist inert. Each menu shows its items' enabled-checks and check marks as
// it opens.
class MainMenu final : public QObject {
    Q_OBJECT
  public:
    MainMenu(QMenuBar& bar, const CommandTable& table);

    // Shows every item's enabled-check and check mark as they are now, e.g.
    // after the settings were read.
    void refresh();
    // The same for one item whose state changes while no menu is open (the
    // undo items, whose keys must work as their state says).
    void refreshItem(CommandId id);

  private:
    CommandActions* actions_;
};

}  // namespace obrin
