#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "document/document.h"

namespace obrin {

struct ReaderOptions {
    // mnuInfo: "@Title=" and "@Artist=" set the fields, other "@" lines go to
    // InfoLines ("@Offset=" lines as "@Offset=0", their shift being applied).
    bool importInfo = true;
    // N15: add "@EditedBy=" + author to InfoLines after every read.
    bool editedBy = false;
    std::string author{};  // Shift-JIS
};

// A line that begins with "[" and holds a single-byte "]" carries a time tag.
// Returns the position of that "]", or npos for any other line.
[[nodiscard]] std::size_t TaggedLineClose(std::string_view line);

// The lyric text after a tag: every bracketed part removed, brackets that are
// the second byte of a two-byte character kept as ordinary bytes.
[[nodiscard]] std::string StripBracketedParts(std::string_view rest);

// Reads time-tagged lyrics text into the document: the LyricList is replaced
// by the tagged lines, the untagged lines before the first tag become
// HeaderLines, "@Offset=" (the last one wins) shifts every time, and the "@"
// import runs as the options say. Marks the lyrics as read from a file.
void ReadTaggedLyricsText(Document& document, std::string_view bytes, const ReaderOptions& options);

// The same for a file. On a file that cannot be read, returns false with
// HeaderLines and InfoLines emptied, the LyricList as it was, and the lyrics
// marked as read from a file; the caller shows kLyricsOpenFailedMessage.
[[nodiscard]] bool ReadTaggedLyrics(Document& document, const std::filesystem::path& path,
                                    const ReaderOptions& options);

}  // namespace obrin
