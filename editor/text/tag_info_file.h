#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "document/document.h"
#include "text/lyrics_expansion.h"

namespace obrin {

// The tag-information file (".obt") keeps a song's times apart from its words:
// per lyric line its time in milliseconds and a checksum of its text, the
// three expansion options that produced the lines, and the InfoLines. An INI
// file in Shift-JIS with CR LF:
//
//   [Setting]  Extract, NullLine, EndLine = "1" or "0"
//   [TimeTag]  <time ms>=<TextChecksum>, one entry per line in list order;
//              a time already written keeps its place and takes the later value
//   [Info]     Other=<comma text of InfoLines>

// The sum of the Shift-JIS byte values of a lyric text, as a 32-bit integer
// (wrapping like one for texts of many megabytes).
[[nodiscard]] std::int32_t TextChecksum(std::string_view lyricText);

// The whole file for a document. Throws ConversionError, with its message for
// the user, when a line's time cannot be read back (100 minutes and more).
[[nodiscard]] std::string FormatTagInfoFile(const Document& document,
                                            const ExpansionOptions& options);

// Writes a fresh file, replacing any existing one, so that its TimeTag section
// holds exactly the current lines. Written through a temporary file: a failure
// leaves the existing file as it was. Throws ConversionError as above, before
// anything is written.
[[nodiscard]] std::error_code SaveTagInfoFile(const std::filesystem::path& path,
                                              const Document& document,
                                              const ExpansionOptions& options);

// What a tag-information file holds, as read.
struct TagInfo {
    // The expansion options; a missing or non-numeric value counts as on.
    bool extract = true;
    bool nullLine = true;
    bool endLine = true;
    // The TimeTag entries in file order, as text: key (time) and value.
    std::vector<std::pair<std::string, std::string>> timeTags;
    std::string other;  // the comma text of InfoLines; empty when missing

    // The options the combine pastes with: the file's three, the current "@"
    // rule (the file does not record it).
    [[nodiscard]] ExpansionOptions expansionOptions(const ExpansionOptions& current) const;
};

[[nodiscard]] TagInfo ParseTagInfo(std::string_view bytes);
[[nodiscard]] std::optional<TagInfo> ReadTagInfoFile(const std::filesystem::path& path,
                                                     std::error_code& error);

// What the combine needs from the outside world.
class CombineHost {
  public:
    virtual ~CombineHost() = default;
    // Offers the auto-expanding paste with the file's options and runs it if
    // wanted: the editor asks kCombinePasteQuestion and pastes the clipboard,
    // obrin-cli pastes its plain lyrics file.
    virtual void offerPaste(const ExpansionOptions& options) = 0;
    // Line `index` differs from the line the times were made for; true goes on
    // (and the combine asks no more), false stops with the lines from `index`
    // keeping their times.
    virtual bool acceptMismatch(int index) = 0;
    virtual void showError(const std::string& message) = 0;
};

enum class CombineOutcome {
    Combined,  // every entry up to the last line applied
    Stopped,   // the user declined a mismatch
    Failed,    // a key or value was not an integer; kCombineFailedMessage was shown
};

// Restores times from a tag-information file: offers the paste with the file's
// options, gives LyricLine i the time of TimeTag entry i, asking once about
// checksums that differ, and finally replaces InfoLines by the file's "Other"
// whatever happened before. Entries past the last line are ignored; lines past
// the last entry keep their times. Only TimeTexts, InfoLines and, through the
// paste, the LyricList change. The options in use are never touched, so
// nothing has to be restored afterwards.
CombineOutcome CombineTagInfo(Document& document, const TagInfo& info,
                              const ExpansionOptions& current, CombineHost& host);

}  // namespace obrin
