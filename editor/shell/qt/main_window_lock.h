#pragma once

#include "document/confirm_views.h"

namespace obrin {

class MainWindow;

// What the confirm runs lock in the main window. The confirm dialog is a
// window of its own, so locking the whole main window leaves it usable.
class MainWindowLock final : public ConfirmWindowView {
  public:
    explicit MainWindowLock(MainWindow& window) : window_(window) {}

    void setMainWindowEnabled(bool enabled) override;
    void setEditingEnabled(bool enabled) override;

  private:
    MainWindow& window_;
};

}  // namespace obrin
