#pragma once

#include <string>
#include <vector>

#include "document/document.h"

namespace obrin {

// The four paste options of the menu "歌詞貼り付け(&P)", as the expansion
// reads them each time it runs.
struct ExpansionOptions {
    bool star = true;      // mnuStar: capture and expand the ※ ★ ☆ repeat blocks
    bool nullLine = true;  // mnuNullLine: drop blank lines at the start and after a blank line
    bool lastLine = true;  // E2 ("lastLine"): end a non-empty result with one empty line
    bool info = true;      // mnuInfo: leave out lines that begin with "@"
};

// The lines captured between the first and second occurrence of one repeat
// mark. It lives only for one run of the expansion.
struct RepeatBlock {
    std::vector<std::string> lines;
};

// Expands plain lyrics: captures the repeat blocks, trims every line, applies
// the blank-line and "@" rules and replaces every later mark line by its
// blocks. Pure: the lines passed in are the caller's own copy.
[[nodiscard]] std::vector<std::string> ExpandLyrics(std::vector<std::string> lines,
                                                    const ExpansionOptions& options);

// The expansion as the editor runs it: it always empties the document's
// InfoLines, whoever asks for it (the auto-expanding paste, the paste window,
// the tag-information combine). The rule can multiply the text many times
// over; when the result does not fit in memory this throws std::bad_alloc
// with the document unchanged.
[[nodiscard]] std::vector<std::string> ExpandLyrics(Document& document,
                                                    std::vector<std::string> lines,
                                                    const ExpansionOptions& options);

// Replaces the LyricList by one untimed, unchecked line per text, verbatim.
void FillLyricList(LyricList& lyrics, const std::vector<std::string>& lines);

// The auto-expanding paste once its text is in hand: the LyricList becomes the
// expanded lines and the lyrics no longer count as read from a file.
// HeaderLines stay as they are.
void PasteWithExpansion(Document& document, std::vector<std::string> lines,
                        const ExpansionOptions& options);

}  // namespace obrin
