#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/lyric_list.h"
#include "document/unit_split.h"

namespace obrin {

// The time-tag form with a tag per unit: "[00:10:00]あ[00:10:30]い[00:11:20]".
// A time tag that stands after text on a line starts a unit; one at the
// line's very end gives the line's end. A tag directly after another, before
// any text, is left out as it always was, and so is every other bracketed
// part (kept as text in standard LRC).

// The text of a tagged line after its time, cut at its inline time tags.
struct InlineTagRead {
    std::string text;
    // Empty when the line has no inline tag; units[0] starts at `lineTime`.
    LineUnits units;
    // What the user should hear about: a unit before the one it follows, an
    // end tag before the last unit, an inline tag that reads as no time.
    bool outOfOrder = false;
    bool endBeforeLastUnit = false;
    bool unreadableTag = false;
};

// `rest` follows the line's time tag; `keepBrackets`: standard LRC, whose
// other bracketed parts are text. `lineTime` in centiseconds; `offsetMs` is
// added to every tag's time.
[[nodiscard]] InlineTagRead ReadInlineTags(std::string_view rest, bool keepBrackets, int lineTime,
                                           std::int64_t offsetMs);

// The line as the completed text writes it: "[time]" and its text, with a
// tag before every timed unit after the first and the end tag when the line
// has unit times; exactly "[time]text" otherwise.
[[nodiscard]] std::string FormatTaggedLine(const LyricLine& line);

// Units read at tags, each cut further into the morae of the reading that
// applies to it when it holds exactly one base; the further morae take the
// reading's times counted from the unit's start.
void ApplyReadings(LineUnits& units, const RubyIndex& ruby, int lineTime);

// Ruby lines: "@RubyN=base,reading[,from[,to]]", N counting from 1. Time tags
// inside the reading give its morae's times counted from the base's start
// (the first mora starts with the base); from and to are time tags.
[[nodiscard]] bool IsRubyLine(std::string_view line);

struct RubyLineRead {
    RubyReading reading;
    // The reading's tags cut it into other pieces than its morae (kept as
    // the tags cut it), or a tag reads as no time (left out).
    bool moraeMismatch = false;
    bool unreadableTag = false;
};

// std::nullopt for a line that is no ruby line or has no base.
[[nodiscard]] std::optional<RubyLineRead> ReadRubyLine(std::string_view line,
                                                       std::int64_t offsetMs);

// The ruby lines of a document, numbered from 1 in the table's order. A
// reading's mora times come from the units of its occurrences; where
// occurrences are timed differently, the reading is written once per run of
// equally timed occurrences, each limited to its lines' times.
[[nodiscard]] std::vector<std::string> FormatRubyLines(const RubyTable& ruby,
                                                       const std::vector<LyricLine>& lines);

}  // namespace obrin
