#pragma once

#include <QObject>

class QMenu;

namespace obrin {

class ConfirmRuns;
class MainWindow;
class TimingCommands;

// Connects the control panel's buttons to the timing commands and the
// confirm runs, and gives the list its context menu `PopupMenu1`, whose
// shortcuts act while the list has the focus. Lives no longer than the
// window.
class TimingBinding final : public QObject {
    Q_OBJECT
  public:
    TimingBinding(MainWindow& window, TimingCommands& commands, ConfirmRuns& confirm);

    QMenu* contextMenu() const { return menu_; }
    // Enables the items as the current selection allows; runs as the menu opens.
    void decideMenuEnabling();

  private:
    void connectButtons();
    void buildContextMenu();

    MainWindow& window_;
    TimingCommands& commands_;
    ConfirmRuns& confirm_;
    QMenu* menu_ = nullptr;
};

}  // namespace obrin
