#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "document/document.h"

namespace obrin {

// How the song title and artist head the completed text (the radio items
// under "オプション(&O)" → "曲情報(&I)").
enum class SongInfoMode {
    AtMark,    // mnuInfoAtMark: "@Title=T", "@Artist=A"
    First,     // mnuInfoFirst: one line "[00:00:00]曲名「T」 歌手「A」"
    KeyValue,  // mnuKeyValue: "Title:T", "Artist:A"
    None,      // mnuInfoNone: nothing
};

struct CompletedTextOptions {
    SongInfoMode songInfo = SongInfoMode::AtMark;
    // I2: add "@TaggingBy=" + author to lyrics that were not read from a file.
    bool taggingBy = false;
    std::string author{};  // Shift-JIS
};

// The song-information lines of one mode; title and artist are Shift-JIS.
[[nodiscard]] std::vector<std::string> SongInfoLines(SongInfoMode mode, const std::string& title,
                                                     const std::string& artist);

// The completed text of a document, line by line: song information,
// HeaderLines, "[time]text" per lyric line, one empty line, InfoLines, the
// author line, and "@TimeRatio=1" unless a line already begins with
// "@TimeRatio=".
[[nodiscard]] std::vector<std::string> BuildCompletedText(const Document& document,
                                                          const CompletedTextOptions& options);

// Writes lines in the file form (Shift-JIS, CR LF after every line, no BOM)
// through a temporary file renamed over `path`, so a failed save leaves an
// existing file whole.
[[nodiscard]] std::error_code WriteTextFile(const std::filesystem::path& path,
                                            const std::vector<std::string>& lines);

}  // namespace obrin
