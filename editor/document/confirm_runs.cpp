#include "document/confirm_runs.h"

#include <algorithm>

#include "base/conversion_error.h"
#include "base/time_text.h"

namespace obrin {

ConfirmRuns::ConfirmRuns(Document& document, PlaybackControl& playback, TimingCommands& commands,
                         Dialogs& dialogs, TimerFactory& timers, ConfirmDialogView& dialog,
                         ConfirmWindowView& window)
    : document_(document),
      playback_(playback),
      commands_(commands),
      dialogs_(dialogs),
      dialog_(dialog),
      window_(window),
      countdownTimer_(timers.createTimer()) {
    countdownTimer_->onTimeout = [this] { countdownTick(); };
    positionConnection_ =
        playback_.positionToFollow.connect([this](int ms) { followPlayPosition(ms); });
}

void ConfirmRuns::confirmAround() {
    if (isRunning() || !playback_.isLoaded()) return;
    dialog_.setPanelText("");
    window_.setMainWindowEnabled(false);
    dialog_.showDialog();
    document_.lyrics.clearSelection();
    aroundLine_ = 0;
    beginAroundLine();
}

void ConfirmRuns::beginAroundLine() {
    LyricList& lyrics = document_.lyrics;
    if (aroundLine_ >= lyrics.count()) {
        finishAround();
        return;
    }
    std::int32_t t = 0;
    try {
        t = ParseTimeText(lyrics.line(aroundLine_).timeText);
    } catch (const ConversionError& error) {
        abandonAround();
        dialogs_.showError(error.what());
        return;
    }
    countdown_ = t >= kCountdownStart * 1000 ? kCountdownStart : t / 1000;
    waiting_ = true;
    // Started once per run: from the second line on the countdown keeps the
    // rhythm of the line before.
    if (!countdownTimer_->isActive()) countdownTimer_->start(kCountdownIntervalMs);
    lyrics.select(aroundLine_);
    lyrics.makeVisible(aroundLine_);
    // A failed play shows a modal box, which runs events: the countdown rests
    // while it is open, or every tick would start the next line and open its
    // box on top. The user may also end the run from there.
    playingLine_ = true;
    commands_.playFromLine(TimingCommands::kPlayBeforeLineMs);
    playingLine_ = false;
    if (!isAroundRunning()) return;
    countdownTick();
}

void ConfirmRuns::countdownTick() {
    if (!isAroundRunning() || playingLine_) return;
    if (countdown_ == kCountdownEnd) {
        waiting_ = false;
    } else if (countdown_ > 0) {
        dialog_.setPanelText(std::to_string(countdown_) + "秒前");
        dialog_.setPanelColour(kCountdownColour);
    } else {
        const LyricList& lyrics = document_.lyrics;
        const int current = lyrics.currentLine();
        dialog_.setPanelLyric(current == LyricList::kNone ? std::string{}
                                                          : lyrics.line(current).lyricText);
        dialog_.setPanelColour(kLyricColour);
    }
    --countdown_;
    if (waiting_) return;
    document_.lyrics.deselect(aroundLine_);
    ++aroundLine_;
    beginAroundLine();
}

void ConfirmRuns::finishAround() {
    countdownTimer_->stop();
    aroundLine_ = kNoRun;
    closeDialog();
    window_.setMainWindowEnabled(true);
}

void ConfirmRuns::abandonAround() {
    countdownTimer_->stop();
    aroundLine_ = kNoRun;
    window_.setMainWindowEnabled(true);
    closeDialog();
}

void ConfirmRuns::closeDialog() {
    dialog_.hideDialog();
    confirmDialogClosed();
}

void ConfirmRuns::confirmAll() {
    if (isRunning() || !playback_.isLoaded()) return;
    LyricList& lyrics = document_.lyrics;
    if (lyrics.count() > kMaxConfirmAllLines) {
        dialogs_.showError("500行以上の歌詞は扱えません");
        return;
    }
    std::vector<std::int32_t> times;
    times.reserve(lyrics.count() + 1);
    std::int32_t previous = -1;
    for (int i = 0; i < lyrics.count(); ++i) {
        std::int32_t t = 0;
        try {
            t = ParseTimeText(lyrics.line(i).timeText);
        } catch (const ConversionError& error) {
            dialogs_.showError(error.what());
            return;
        }
        if (t < previous) {
            dialogs_.showError("タイムタグが不正です(" + std::to_string(i + 1) + "行目)");
            return;
        }
        times.push_back(t);
        previous = t;
    }
    playback_.stopPlayback();
    times.push_back(kEndTime);
    confirmTimes_ = std::move(times);
    lyrics.clearSelection();
    window_.setEditingEnabled(false);
    confirmAllActive_ = true;
    dialog_.setPanelText("");
    playback_.playPause();
    dialog_.showDialog();
}

void ConfirmRuns::followPlayPosition(int ms) {
    if (!confirmAllActive_) return;
    if (ms == -1) {
        confirmAllActive_ = false;
        closeDialog();
        return;
    }
    // The times are in order, so the first time beyond ms is found by
    // bisection; kEndTime makes sure there is one for any real song.
    const auto after = std::upper_bound(confirmTimes_.begin(), confirmTimes_.end(), ms);
    LyricList& lyrics = document_.lyrics;
    // A position at or past the end value stays on the last line.
    const int lastLine = static_cast<int>(confirmTimes_.size()) - 2;
    const int followIndex =
        std::max(std::min(static_cast<int>(after - confirmTimes_.begin()) - 1, lastLine), 0);
    if (followIndex >= lyrics.count() || ms < confirmTimes_[followIndex]) return;
    const int current = lyrics.currentLine();
    if (current != LyricList::kNone) lyrics.deselect(current);
    lyrics.select(followIndex);
    lyrics.makeVisible(followIndex);
    dialog_.setPanelLyric(lyrics.line(followIndex).lyricText);
}

void ConfirmRuns::abortConfirm() {
    if (confirmAllActive_) {
        confirmAllActive_ = false;
        closeDialog();
    }
    if (isAroundRunning()) abandonAround();
}

void ConfirmRuns::confirmDialogClosed() {
    confirmAllActive_ = false;
    if (isAroundRunning()) abandonAround();
    window_.setMainWindowEnabled(true);
    window_.setEditingEnabled(true);
}

void ConfirmRuns::endRuns() {
    abortConfirm();
}

}  // namespace obrin
