#pragma once

#include <memory>

#include "document/confirm_runs.h"
#include "document/qt/confirm_dialog.h"
#include "shell/qt/main_window_lock.h"
#include "shell/qt/timing_binding.h"
#include "document/timing_commands.h"
#include "playback/conversion_progress.h"
#include "base/playback_control.h"
#include "playback/qt/player_panel_binding.h"
#include "playback/qt/wait_dialog.h"

namespace obrin {

class Editor;
class MainWindow;

// Playback and timing as the running editor has them: the core objects, the
// confirm and wait dialogs, and their bindings to the main window. Created
// after the main window and destroyed before it; the close of the main
// window ends any confirm run through it.
class TimingParts {
  public:
    TimingParts(MainWindow& window, Editor& editor);
    ~TimingParts();
    TimingParts(const TimingParts&) = delete;
    TimingParts& operator=(const TimingParts&) = delete;

    PlaybackControl& playback() { return playback_; }
    TimingCommands& commands() { return commands_; }
    ConfirmRuns& confirm() { return confirm_; }
    ConversionProgress& progress() { return progress_; }
    WaitDialog& waitDialog() { return waitForm_; }
    ConfirmDialog& confirmDialog() { return confirmDialog_; }
    TimingBinding& binding() { return *binding_; }

  private:
    Editor& editor_;
    ConfirmDialog confirmDialog_;
    WaitDialog waitForm_;
    MainWindowLock lock_;
    PlaybackControl playback_;
    TimingCommands commands_;
    ConfirmRuns confirm_;
    ConversionProgress progress_;
    std::unique_ptr<PlayerPanelBinding> panelBinding_;
    std::unique_ptr<TimingBinding> binding_;
};

}  // namespace obrin
