#pragma once

#include <QObject>

class QMenu;

namespace obrin {

class CommandActions;
class CommandTable;
class MainWindow;

// Binds the control panel's and the player panel's buttons to their
// commands, and gives the list its context menu `PopupMenu1`, built from the
// command table, whose shortcuts act while the list has the focus. Lives no
// longer than the window.
class TimingBinding final : public QObject {
    Q_OBJECT
  public:
    TimingBinding(MainWindow& window, const CommandTable& table);

    QMenu* contextMenu() const { return menu_; }

  private:
    void bindButtons();
    void buildContextMenu();

    MainWindow& window_;
    CommandActions* buttons_;
    QMenu* menu_;
    CommandActions* menuItems_;  // the menu's items, children of the menu
};

}  // namespace obrin
