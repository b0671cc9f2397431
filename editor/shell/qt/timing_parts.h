#pragma once

#include <memory>

#include "base/playback_control.h"
#include "document/confirm_runs.h"
#include "document/karaoke_tapping.h"
#include "document/qt/confirm_dialog.h"
#include "document/timing_commands.h"
#include "playback/conversion_progress.h"
#include "playback/qt/player_panel_binding.h"
#include "playback/qt/waveform_binding.h"
#include "playback/qt/wait_dialog.h"
#include "shell/qt/main_window_lock.h"

namespace obrin {

class CommandTable;
class Editor;
class KaraokeTab;
class MainWindow;

// Playback and timing as the running editor has them: the core objects, the
// confirm and wait dialogs, and the player panel's binding. Registers the
// timing and playback commands, and adds the tab 「カラオケ」, whose tapping is
// on while it is shown. Created after the main window and destroyed before
// it.
class TimingParts {
  public:
    TimingParts(MainWindow& window, Editor& editor, CommandTable& commands);
    ~TimingParts();
    TimingParts(const TimingParts&) = delete;
    TimingParts& operator=(const TimingParts&) = delete;

    PlaybackControl& playback() { return playback_; }
    TimingCommands& commands() { return commands_; }
    ConfirmRuns& confirm() { return confirm_; }
    ConversionProgress& progress() { return progress_; }
    WaitDialog& waitDialog() { return waitForm_; }
    ConfirmDialog& confirmDialog() { return confirmDialog_; }
    WaveformBinding& waveform() { return *waveformBinding_; }
    KaraokeTapping& karaoke() { return karaoke_; }
    KaraokeTab& karaokeTab() { return *karaokeTab_; }

  private:
    void addKaraokeTab(MainWindow& window, Editor& editor);

    ConfirmDialog confirmDialog_;
    WaitDialog waitForm_;
    MainWindowLock lock_;
    PlaybackControl playback_;
    TimingCommands commands_;
    ConfirmRuns confirm_;
    KaraokeTapping karaoke_;
    ConversionProgress progress_;
    std::unique_ptr<PlayerPanelBinding> panelBinding_;
    std::unique_ptr<WaveformBinding> waveformBinding_;
    KaraokeTab* karaokeTab_;
};

}  // namespace obrin
