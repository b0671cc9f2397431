#pragma once

#include <string>
#include <vector>

#include "document/lyric_list.h"
#include "document/unit_split.h"

namespace obrin {

// One mora of a reading shown above its kanji, with how far it has wiped:
// 0 before it starts, 1 once it is over.
struct WipeMora {
    std::string text;  // Shift-JIS
    double fraction = 0.0;

    bool operator==(const WipeMora&) const = default;
};

// A piece of a line as the wipe shows it: a timing unit, or a kanji run with
// its reading (the run's units joined). The base text wipes over the piece's
// whole time, each mora of the reading over its own part.
struct WipePiece {
    std::string text;  // Shift-JIS
    double fraction = 0.0;
    std::vector<WipeMora> ruby;

    bool operator==(const WipePiece&) const = default;
};

// A line of the lyrics as the wipe shows it at one moment; line is -1 when
// there is none. The pieces' texts joined are the line's text.
struct WipeLine {
    int line = -1;
    std::vector<WipePiece> pieces;

    bool operator==(const WipeLine&) const = default;
};

// What a karaoke screen shows at one moment: the line being sung and the one
// after it (whose pieces have not started).
struct KaraokeFrame {
    WipeLine current;
    WipeLine next;

    bool operator==(const KaraokeFrame&) const = default;
};

// When no end follows a line's last unit (no end time, no later line), the
// unit wipes over this many centiseconds.
inline constexpr int kLastUnitCentis = 100;

// The frame at `centis` (centiseconds of the song, fractions allowed). Only
// lines with a time count: the current line is the one with the latest start
// at or before `centis` (of equal starts the later in the list), the next the
// one with the earliest start after it (of equal starts the earlier). A line's
// units are its own, or its default split; a unit ends where the next starts,
// the last at the line's end, else at the next line's start. Units without a
// time share the time between their timed neighbours evenly, so a line with
// no units of its own wipes evenly from its start to its end.
[[nodiscard]] KaraokeFrame KaraokeFrameAt(const LyricList& lyrics, const RubyIndex& ruby,
                                          double centis);

}  // namespace obrin
