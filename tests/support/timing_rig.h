#pragma once

#include <string>
#include <vector>

#include "document/confirm_runs.h"
#include "document/document.h"
#include "document/timing_commands.h"
#include "fake_player.h"
#include "fake_timers.h"
#include "base/playback_control.h"
#include "recording_dialogs.h"
#include "recording_timing_views.h"

namespace obrin::test {

// The timing core wired as the editor wires it, with fakes at every edge:
// the player's clock moves with the timers' virtual clock.
struct TimingRig {
    FakePlayer player;
    FakeTimerFactory timers;
    test::RecordingDialogs dialogs;
    RecordingPanelView panel;
    RecordingConfirmDialog confirmDialog;
    RecordingWindow window;
    Document document;
    RecordingListRequests listView{document.lyrics};
    PlaybackControl playback{player, timers, dialogs};
    TimingCommands commands{document, playback, dialogs};
    ConfirmRuns confirm{document, playback, commands, dialogs, timers, confirmDialog, window};

    TimingRig() {
        timers.onClockAdvanced = [this](int elapsedMs) { player.advance(elapsedMs); };
        playback.setView(&panel);
        document.setMarkOffset("0.0");
    }

    void load(double durationSeconds = 200.0) {
        player.nextDuration = durationSeconds;
        playback.loadIntoPlayer("/tmp/obrin_temp.wav");
    }

    // One line per time text, with texts "L1", "L2", ...
    void lines(const std::vector<std::string>& timeTexts) {
        LyricList& lyrics = document.lyrics;
        lyrics.clear();
        for (const std::string& timeText : timeTexts) {
            const int line = lyrics.add();
            lyrics.setLyricText(line, "L" + std::to_string(line + 1));
            lyrics.setTimeText(line, timeText);
        }
    }

    std::vector<int> selected() const { return document.lyrics.selectedLines(); }
    std::string timeText(int line) const { return document.lyrics.line(line).timeText; }
};

}  // namespace obrin::test
