#pragma once

#include <string>

#include "document/document.h"

namespace obrin {

// An ASS karaoke script, as libass-based players and karaoke templates read
// it: one Dialogue per timed line, its text a lead-in "{\k N}" and then
// "{\kf N}unit" per timed unit in centiseconds, so that the durations add up
// exactly to the event. The event starts `leadInCs` before the line (never
// before 0) and ends at the line's end time, or else at the next timed line's
// start, at most kAssLongestLineCs after the line's own start. A line without
// unit times is one unit; a unit without a time joins the one before it.
// A line whose units hold a base with a reading (the document's ruby) gets a
// Comment beside its Dialogue, with the same times and the effect "karaoke",
// in the furigana syntax of karaoke templates: "{\kf N}明日|あ{\kf N}#|し".
struct AssOptions {
    int leadInCs = 100;
};

inline constexpr int kAssLongestLineCs = 1000;

// The whole script, UTF-8 with LF line ends.
[[nodiscard]] std::string FormatAssKaraoke(const Document& document, const AssOptions& options);

}  // namespace obrin
