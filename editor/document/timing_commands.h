#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "document/document.h"
#include "document/onset_snap.h"
#include "base/playback_control.h"
#include "base/dialogs.h"

namespace obrin {

// Which items of the list's context menu can be used; decided each time the
// menu opens. The items not named here are always enabled.
struct LineMenuEnabling {
    // Play from here, play from 5 s before, check, edit, delete and add line.
    bool lineItems = false;
    // Merge with the next line.
    bool merge = false;
};

[[nodiscard]] LineMenuEnabling DecideLineMenuEnabling(const LyricList& lyrics);

// The commands with which the user times the lyrics while the song plays.
// Each works on the CurrentLine (or the selection) and does nothing without
// one; failures are shown through Dialogs and leave the lines as described
// per command.
class TimingCommands {
  public:
    static constexpr std::int32_t kPlayBeforeLineMs = 5000;
    // Re-marking starts this long before the line, time enough to catch the
    // song's pace again.
    static constexpr std::int32_t kRemarkBeforeLineMs = 3000;

    TimingCommands(Document& document, PlaybackControl& playback, Dialogs& dialogs)
        : document_(document), playback_(playback), dialogs_(dialogs) {}

    // Stamps the play position plus the MarkOffset on the CurrentLine (the
    // topmost visible row when nothing is selected) and moves on to the next.
    // With onset snapping on, the time moves to a nearby onset first (see
    // SnapToOnset; the line above bounds it). Refused with a message while no
    // music file is loaded.
    void mark();
    void setOnsetSnapping(OnsetSnapping snapping) { snapping_ = std::move(snapping); }
    const OnsetSnapping& onsetSnapping() const { return snapping_; }
    // Gives one line a new time (below 0 counts as 0), as dragging its
    // marker on the waveform does; a line that no longer exists is left.
    void retimeLine(int line, std::int32_t ms);
    void checkSelected();
    // Toggles the line before the CurrentLine: right after a Mark, the line
    // just marked.
    void checkPrevious();
    // ListEditMode on: shifts the selected lines' times (never below 0).
    // Off: seeks the player by step, held within the song.
    void moveBy(std::int32_t stepMs);
    // Stops, seeks to the line's time less before (not below 0) and plays.
    void playFromLine(std::int32_t beforeMs);
    // Asks for a number of milliseconds and shifts the times of the selected
    // lines, or of all lines when none is selected, by it (never below 0).
    void shiftTimes();
    // Makes the CurrentLine the only selected line and plays from a little
    // before its time, so the marks can be made again from there.
    void remarkFromLine();
    void editLine();
    void deleteLines();
    void insertLine();
    void appendLine();
    void mergeWithNext();
    void selectAll();
    void clearChecks();

  private:
    // The time of the line above `line`, when there is one that reads.
    std::optional<std::int32_t> previousLineTime(int line) const;
    void shiftSelectedTimes(std::int32_t stepMs);
    void seekBy(std::int32_t stepMs);

    Document& document_;
    PlaybackControl& playback_;
    Dialogs& dialogs_;
    OnsetSnapping snapping_;
};

}  // namespace obrin
