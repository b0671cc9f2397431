#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

namespace obrin {

// Standard LRC as today's players and lyric tools read it.
struct StandardLrcOptions {
    bool milliseconds = false;  // [mm:ss.xxx] instead of [mm:ss.xx]
    bool shiftJis = false;      // Shift-JIS instead of UTF-8 (never a byte order mark)
    bool crlf = false;          // CR LF instead of LF after every line
    bool keepUntimed = false;   // untimed lines as plain text lines instead of left out
    bool words = false;         // enhanced-LRC word tags on the lines with unit times

    friend bool operator==(const StandardLrcOptions&, const StandardLrcOptions&) = default;
};

// One timed lyric line with its time as a player shows it.
struct SyncedLine {
    std::int32_t ms;
    std::string text;  // Shift-JIS
};

// The "@Offset=" among the HeaderLines or InfoLines in milliseconds (the last
// one counts, as in the reader), which a player's times have in them.
[[nodiscard]] std::int32_t DocumentOffsetMs(const Document& document);

// The times the document's lines stand for: the TimeText (which already holds
// the mark offset of its Mark) plus an "@Offset=" among the HeaderLines or
// InfoLines, which would shift them when the editor's own file is read again
// (the last such line counts, as in the reader). A line at 0 is untimed and
// gives std::nullopt, except the lines at 0 ahead of the first line with a
// later time: they open the song at 0 (a title line, words sung at once).
[[nodiscard]] std::vector<std::optional<std::int32_t>> PlayerTimes(const Document& document);

// The timed lines, in list order.
[[nodiscard]] std::vector<SyncedLine> SyncedLines(const Document& document);

// "[mm:ss.xx]" or "[mm:ss.xxx]"; minutes grow past 99 as needed.
[[nodiscard]] std::string StandardTimeTag(std::int32_t ms, bool milliseconds);

// The [by:] header of a document: its "@TaggingBy=" information line, or the
// author name when the completed text would add one. Shift-JIS; empty for none.
[[nodiscard]] std::string LrcAuthor(const Document& document, bool taggingBy,
                                    const std::string& author);

// The whole file: [ti:], [ar:], [by:] where set (a "]" in them written as the
// full-width "］", which no reader takes for the tag's end), then one line per timed lyric
// line in list order (untimed ones as plain lines with keepUntimed; with words,
// a line with unit times carries their word tags after its own), each line
// ended as the options say, in the chosen encoding.
[[nodiscard]] std::string FormatStandardLrc(const Document& document,
                                            const StandardLrcOptions& options,
                                            const std::string& by);

// The same file handed to `write` in order, in pieces of a bounded size, so
// that a long one is never held whole beside the document. An exception from
// `write` ends the run.
void WriteStandardLrc(const Document& document, const StandardLrcOptions& options,
                      const std::string& by, const std::function<void(std::string_view)>& write);

}  // namespace obrin
