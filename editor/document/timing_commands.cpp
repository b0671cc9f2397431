#include "document/timing_commands.h"

#include <algorithm>
#include <optional>
#include <string>

#include "base/conversion_error.h"
#include "base/time_text.h"
#include "document/mark_time.h"
#include "document/nudge_buttons.h"
#include "document/time_shift.h"

namespace obrin {

namespace {

// The nudge's button caption names the step it leaves in the history.
std::string NudgeCaption(std::int32_t stepMs) {
    for (const NudgeButton& nudge : kNudgeButtons) {
        if (nudge.stepMs == stepMs) return nudge.caption;
    }
    return "時間の移動";
}

}  // namespace

LineMenuEnabling DecideLineMenuEnabling(const LyricList& lyrics) {
    const int current = lyrics.currentLine();
    if (current == LyricList::kNone) return {};
    return {.lineItems = true, .merge = current < lyrics.count() - 1};
}

void TimingCommands::mark() {
    LyricList& lyrics = document_.lyrics;
    int line = lyrics.currentLine();
    const bool noneSelected = line == LyricList::kNone;
    if (noneSelected) {
        line = lyrics.topVisibleLine();
        if (line == LyricList::kNone) return;
    }
    // Without a song there is no play position: a mark would stamp 00:00:00.
    if (!playback_.isLoaded()) {
        dialogs_.showError(PlaybackControl::kNoMusicFileMessage);
        return;
    }
    const UndoHistory::Step step = document_.history.beginStep("マーク");
    if (noneSelected) lyrics.select(line);
    const std::optional<std::int32_t> t =
        MarkTimeNow(document_, playback_, dialogs_, snapping_, previousLineTime(line));
    if (!t) return;
    lyrics.setTimeText(line, FormatTimeText(*t));
    lyrics.deselect(line);
    if (line < lyrics.count() - 1) {
        lyrics.select(line + 1);
        lyrics.makeVisible(line + 1);
    }
}

std::optional<std::int32_t> TimingCommands::previousLineTime(int line) const {
    if (line == 0) return std::nullopt;
    try {
        return ParseTimeText(document_.lyrics.line(line - 1).timeText);
    } catch (const ConversionError&) {
        // A time past 100 minutes cannot be read back; it bounds nothing.
        return std::nullopt;
    }
}

void TimingCommands::retimeLine(int line, std::int32_t ms) {
    LyricList& lyrics = document_.lyrics;
    if (line < 0 || line >= lyrics.count()) return;
    const UndoHistory::Step step = document_.history.beginStep("時間を変更");
    lyrics.setTimeText(line, FormatTimeText(std::max(ms, 0)));
}

void TimingCommands::checkSelected() {
    LyricList& lyrics = document_.lyrics;
    const UndoHistory::Step step = document_.history.beginStep("チェック");
    for (int line : lyrics.selectedLines()) lyrics.toggleCheck(line);
}

void TimingCommands::checkPrevious() {
    LyricList& lyrics = document_.lyrics;
    const int current = lyrics.currentLine();
    if (current == LyricList::kNone) return;
    const UndoHistory::Step step = document_.history.beginStep("一つ前をチェック");
    lyrics.toggleCheck(current > 0 ? current - 1 : current);
}

void TimingCommands::moveBy(std::int32_t stepMs) {
    if (document_.listEditMode()) {
        shiftSelectedTimes(stepMs);
    } else {
        seekBy(stepMs);
    }
}

void TimingCommands::shiftSelectedTimes(std::int32_t stepMs) {
    LyricList& lyrics = document_.lyrics;
    const UndoHistory::Step step = document_.history.beginStep(NudgeCaption(stepMs));
    for (int line : lyrics.selectedLines()) {
        std::int32_t t = 0;
        try {
            t = ParseTimeText(lyrics.line(line).timeText);
        } catch (const ConversionError& error) {
            // The lines before this one keep their new times.
            dialogs_.showError(error.what());
            return;
        }
        lyrics.setTimeText(line, FormatTimeText(std::max(t + stepMs, 0)));
    }
}

void TimingCommands::seekBy(std::int32_t stepMs) {
    try {
        const double end = std::max(playback_.durationSeconds() * 1000.0, 0.0);
        const double target = std::clamp(playback_.positionSeconds() * 1000.0 + stepMs, 0.0, end);
        playback_.seekMs(target);
        playback_.refreshPositionDisplay();
    } catch (const PlayerError&) {
        // No music file, or a player that cannot tell where it is: there is
        // no position to move, as with the position bar.
    }
}

void TimingCommands::playFromLine(std::int32_t beforeMs) {
    const LyricList& lyrics = document_.lyrics;
    const int current = lyrics.currentLine();
    if (current == LyricList::kNone) return;
    std::int32_t t = 0;
    try {
        t = ParseTimeText(lyrics.line(current).timeText);
    } catch (const ConversionError&) {
        t = 0;
    }
    playback_.stopPlayback();
    try {
        playback_.seekMs(std::max(t - beforeMs, 0));
    } catch (const PlayerError&) {
        dialogs_.showError(PlaybackControl::kNoMusicFileMessage);
        return;
    }
    playback_.playPause();
}

void TimingCommands::shiftTimes() {
    LyricList& lyrics = document_.lyrics;
    if (lyrics.count() == 0) return;
    std::vector<int> lines = lyrics.selectedLines();
    std::string prompt;
    if (lines.empty()) {
        for (int i = 0; i < lyrics.count(); ++i) lines.push_back(i);
        prompt = "すべての行";
    } else {
        prompt = "選択した" + std::to_string(lines.size()) + "行";
    }
    prompt += "の時間をずらします。ミリ秒で入力してください（マイナスで前へ）:";
    const std::optional<std::string> typed = dialogs_.inputText("時間をずらす", prompt, "0");
    if (!typed) return;
    const std::optional<std::int32_t> ms = ParseShiftMs(*typed);
    if (!ms) {
        dialogs_.showError("ずらす時間は-3600000から3600000までのミリ秒で入力してください");
        return;
    }
    const UndoHistory::Step step = document_.history.beginStep("時間をずらす");
    try {
        ShiftLineTimes(lyrics, lines, *ms);
    } catch (const ConversionError& error) {
        dialogs_.showError(error.what());
    }
}

void TimingCommands::remarkFromLine() {
    LyricList& lyrics = document_.lyrics;
    const int current = lyrics.currentLine();
    if (current == LyricList::kNone) return;
    lyrics.clearSelection();
    lyrics.select(current);
    lyrics.makeVisible(current);
    playFromLine(kRemarkBeforeLineMs);
}

void TimingCommands::editLine() {
    const int current = document_.lyrics.currentLine();
    if (current != LyricList::kNone) document_.lyrics.beginEdit(current);
}

void TimingCommands::deleteLines() {
    LyricList& lyrics = document_.lyrics;
    const std::vector<int> selected = lyrics.selectedLines();
    const UndoHistory::Step step = document_.history.beginStep("行を削除");
    // From the last line to the first, each run of neighbours at once: a
    // display redoes its layout once per run, not once per line.
    for (auto it = selected.rbegin(); it != selected.rend();) {
        const int last = *it;
        int first = last;
        while (++it != selected.rend() && *it == first - 1) first = *it;
        lyrics.remove(first, last);
    }
}

void TimingCommands::insertLine() {
    LyricList& lyrics = document_.lyrics;
    const int current = lyrics.currentLine();
    if (current == LyricList::kNone) return;
    const std::string timeText = lyrics.line(current).timeText;
    const UndoHistory::Step step = document_.history.beginStep("行を追加");
    lyrics.setTimeText(lyrics.insert(current), timeText);
}

void TimingCommands::appendLine() {
    const UndoHistory::Step step = document_.history.beginStep("最終行へ追加");
    document_.lyrics.add();
}

void TimingCommands::mergeWithNext() {
    LyricList& lyrics = document_.lyrics;
    const int current = lyrics.currentLine();
    if (current == LyricList::kNone || current >= lyrics.count() - 1) return;
    const UndoHistory::Step step = document_.history.beginStep("次の行と併合");
    lyrics.setLyricText(current,
                        lyrics.line(current).lyricText + " " + lyrics.line(current + 1).lyricText);
    lyrics.remove(current + 1);
}

void TimingCommands::selectAll() {
    document_.lyrics.selectAll();
}

void TimingCommands::clearChecks() {
    LyricList& lyrics = document_.lyrics;
    const UndoHistory::Step step = document_.history.beginStep("すべてのチェックをはずす");
    for (int i = 0; i < lyrics.count(); ++i) lyrics.setChecked(i, false);
}

}  // namespace obrin
