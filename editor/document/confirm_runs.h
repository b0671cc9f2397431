#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "document/confirm_views.h"
#include "document/document.h"
#include "document/timing_commands.h"
#include "base/playback_control.h"
#include "base/dialogs.h"
#include "base/timer.h"

namespace obrin {

// The two ways of replaying the timed lyrics.
//
// "Around" replays every line from 5 s before it: a one-second countdown
// timer shows "N秒前" on white until the line is due, then the line on aqua
// for three ticks, and at the fourth the run moves to the next line. The
// timer keeps its rhythm from line to line. The run is a state machine
// driven by that timer; while it runs the main window is disabled.
//
// "All" plays the whole song from the start and follows it: every tenth
// position refresh selects the last line whose time has passed. Pausing
// holds it; the player stopping ends it.
//
// Neither run stops playback when it ends. "中断" or closing the dialog ends
// either run at once.
class ConfirmRuns final {
  public:
    static constexpr int kMaxConfirmAllLines = 512;
    static constexpr std::int32_t kEndTime = 999999999;
    static constexpr int kCountdownIntervalMs = 1000;
    // Seconds of countdown before a line, and the tick that ends the line.
    static constexpr std::int32_t kCountdownStart = 5;
    static constexpr std::int32_t kCountdownEnd = -3;

    ConfirmRuns(Document& document, PlaybackControl& playback, TimingCommands& commands,
                Dialogs& dialogs, TimerFactory& timers, ConfirmDialogView& dialog,
                ConfirmWindowView& window);
    ConfirmRuns(const ConfirmRuns&) = delete;
    ConfirmRuns& operator=(const ConfirmRuns&) = delete;

    // "前後" and "すべて". Both do nothing without a music file.
    void confirmAround();
    void confirmAll();
    // The dialog's "中断".
    void abortConfirm();
    // The dialog was closed by the user.
    void confirmDialogClosed();
    // Ends whichever run is going, as the editor closes.
    void endRuns();
    // Opening a music file drops a following "all" run.
    void musicFileOpened() { confirmAllActive_ = false; }

    // The play position as playback hands it on (-1: stopped).
    void followPlayPosition(int ms);

    bool isAroundRunning() const { return aroundLine_ != kNoRun; }
    bool isConfirmAllActive() const { return confirmAllActive_; }
    // The assigned keys are ignored while either run goes on.
    bool isRunning() const { return isAroundRunning() || confirmAllActive_; }

  private:
    static constexpr int kNoRun = -1;

    void beginAroundLine();
    void countdownTick();
    void finishAround();
    void abandonAround();
    void closeDialog();

    Document& document_;
    PlaybackControl& playback_;
    TimingCommands& commands_;
    Dialogs& dialogs_;
    ConfirmDialogView& dialog_;
    ConfirmWindowView& window_;
    std::unique_ptr<Timer> countdownTimer_;
    Connection positionConnection_;

    // The "around" run: the line being replayed, or kNoRun.
    int aroundLine_ = kNoRun;
    std::int32_t countdown_ = 0;
    bool waiting_ = false;
    // True while the line's playback starts, which may show an error box.
    bool playingLine_ = false;

    bool confirmAllActive_ = false;
    // The times of all lines in list order, then kEndTime.
    std::vector<std::int32_t> confirmTimes_;
};

}  // namespace obrin
