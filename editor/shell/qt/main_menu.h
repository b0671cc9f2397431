#pragma once

class QMenuBar;

namespace obrin {

// Fills the main window's menu bar with every menu and item. Each item is a
// QAction whose objectName is the item's name ("Open1", "mnuStar", ...), so
// the commands find it with findChild. Menus that are never shown exist
// hidden; items start in their designed state (enabled, checked).
void BuildMainMenu(QMenuBar& bar);

}  // namespace obrin
