#pragma once

#include <QObject>

class QMenu;

namespace obrin {

class CommandActions;
class MainWindow;

// Binds the control panel's and the player panel's buttons to their
// commands, and gives the list its context menu `PopupMenu1` of the window's
// command items, whose shortcuts act while the list has the focus. After
// 「5秒前から再生」, 「ここから再マーク」 and a click on the waveform the focus goes
// to the Mark button, where the assigned keys act. Lives no longer than the
// window.
class TimingBinding final : public QObject {
    Q_OBJECT
  public:
    TimingBinding(MainWindow& window, CommandActions& actions);

    QMenu* contextMenu() const { return menu_; }

  private:
    void bindButtons();
    void buildContextMenu();
    void focusMarkAfterSeeking();

    MainWindow& window_;
    CommandActions& actions_;
    QMenu* menu_;
};

}  // namespace obrin
