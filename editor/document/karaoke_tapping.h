#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/dialogs.h"
#include "base/playback_control.h"
#include "base/signal.h"
#include "document/document.h"
#include "document/timing_commands.h"

namespace obrin {

// Karaoke timing: the user taps the Mark key on every sung unit while the
// song plays, as a rhythm game is played. Each tap stamps what Mark stamps
// (the heard position, the MarkOffset, onset snapping; see MarkTimeNow) on
// the unit the next tap times, which moves on by itself:
//
//   - a line's first unit is the line's mark: its time is the line's time;
//   - after a line's last unit, the next tap sets the line's end and moves
//     to the next line; an empty line takes its time from its one tap;
//   - a tap on a line that has times replaces them from the tapped unit on:
//     the later units and the end lose theirs until they are tapped again.
//
// With the key-up option (「キーを離した時刻も記録」) the key's release ends
// a unit. The units hold only their starts and the line its end, and a
// wipe runs from a unit's start to the next one's, so only the release of a
// line's last unit has a place to go: it sets the line's end (the gap to the
// next line is kept) and moves on, saving the extra tap. Releases within a
// line are not kept.
//
// Each line's taps, and their take-backs, are one step of the history (a
// burst keyed by the line); a restart of the line begins a new one.
//
// The line being timed follows the list's CurrentLine, and the tapping
// selects the line it moves to, so the list, an undo and this agree. When
// anything else changes the line being timed (an undo, a split), the next
// tap times its first unit.
class KaraokeTapping {
  public:
    // Restarting plays from this long before the line.
    static constexpr std::int32_t kRestartBeforeLineMs = 3000;

    // Where the next tap goes. `unit == units` is the line's end; `line ==
    // count` (with no line after the last) means every line is done.
    struct Place {
        int line = 0;
        int unit = 0;
        bool operator==(const Place&) const = default;
    };

    KaraokeTapping(Document& document, PlaybackControl& playback, Dialogs& dialogs,
                   const TimingCommands& marks);
    KaraokeTapping(const KaraokeTapping&) = delete;
    KaraokeTapping& operator=(const KaraokeTapping&) = delete;

    // Key down (or the マーク button). Refused with the Mark's message without
    // a song; refused, with a note, while the song does not play.
    void tap();
    // Key up: with the key-up option on, a release after a line's last unit
    // started ends the line.
    void release();
    // Takes back this session's last tap: its line gets back what it had
    // before the tap, and the next tap times that unit again.
    void takeBack();
    // 「この行をやり直す」: the next tap times the line's first unit, and the
    // song plays from kRestartBeforeLineMs before the line's time.
    void restartLine();

    // The next tap times `unit` of `line` (held within the line; a unit past
    // the last is the end). Selects the line in the list.
    void setCurrent(int line, int unit);
    [[nodiscard]] Place current() const;

    // On while the karaoke view is shown: Mark and its key then tap.
    bool isOn() const { return on_; }
    void setOn(bool on) { on_ = on; }

    bool releaseTimed() const { return releaseTimed_; }
    void setReleaseTimed(bool on) { releaseTimed_ = on; }

    // Where the next tap goes, or what can be taken back, changed.
    Signal<> changed;
    // A note for the user about a tap that did nothing, or did something
    // they might not expect (UTF-8); an empty note clears the last one.
    Signal<std::string> noted;

    static constexpr const char* kNotPlayingNote = "再生中にタップしてください";
    static constexpr const char* kAllDoneNote = "最後の行まで付け終わりました";
    static constexpr const char* kEmptyLineNote = "空の行には行の時間だけを付けました";
    static constexpr const char* kNothingToTakeBackNote = "取り消すタップがありません";
    static constexpr const char* kPastSongEndNote = "この行の時間は曲の長さを超えています";

  private:
    // What one tap changed, so that it can be taken back.
    struct Tap {
        Place place;
        std::string timeTextBefore;
        LineUnits unitsBefore;
        LineDraft draftBefore{};
        std::string timeTextAfter{};
        LineUnits unitsAfter{};
    };

    // Stamps `t` on the next unit (or the end) of the current line.
    void stamp(std::int32_t ms);
    void moveTo(Place place);
    void followCurrentLine(int line);
    void followLineChange(int first, int last);
    // The unit times of `line` as a tap sees them: its own, or its default
    // split with the readings that apply.
    LineUnits unitsOf(int line) const;
    std::optional<std::int32_t> notBeforeMs() const;
    std::string burst(int line) const;

    Document& document_;
    PlaybackControl& playback_;
    Dialogs& dialogs_;
    const TimingCommands& marks_;
    bool on_ = false;
    bool releaseTimed_ = false;
    Place place_;
    // Set while the changes are the tapping's own.
    bool busy_ = false;
    std::vector<Tap> taps_;
    Connection currentLineConnection_;
    Connection lineChangeConnection_;
};

}  // namespace obrin
