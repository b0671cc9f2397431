#pragma once

class QMenuBar;

namespace obrin {

class CommandActions;

// Lays out the main window's menu bar: its menus, submenus, separators and
// the order of the items, every item the window's own item of its command.
// Menus that are never shown exist hidden; items that have no behaviour
// exist inert.
void BuildMainMenu(QMenuBar& bar, CommandActions& actions);

}  // namespace obrin
