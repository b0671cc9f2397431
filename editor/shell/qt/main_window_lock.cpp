#include "shell/qt/main_window_lock.h"

#include <QAction>
#include <QMenuBar>
#include <QTabWidget>

#include "document/qt/control_panel.h"
#include "shell/qt/main_window.h"

namespace obrin {

void MainWindowLock::setMainWindowEnabled(bool enabled) {
    window_.setEnabled(enabled);
}

void MainWindowLock::setEditingEnabled(bool enabled) {
    window_.controlPanel()->setEnabled(enabled);
    window_.pages()->setEnabled(enabled);
    for (QAction* menu : window_.menuBar()->actions()) menu->setEnabled(enabled);
}

}  // namespace obrin
