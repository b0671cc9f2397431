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

// The tab "完成型" with its editable text, as the text rules need it. The
// main window implements it over its page control and text view.
class CompletedTextPage {
  public:
    virtual ~CompletedTextPage() = default;
    [[nodiscard]] virtual bool isActive() const = 0;
    virtual void activate() = 0;
    // Replaces the whole content and puts the caret at the start.
    virtual void showLines(const std::vector<std::string>& lines) = 0;
    // What the view holds now, the user's edits included, as Shift-JIS lines.
    // Throws SjisError when the user typed a character Shift-JIS cannot hold.
    [[nodiscard]] virtual std::vector<std::string> lines() const = 0;
};

// Rebuilds the page's text, but only while the page is the active tab.
void BuildCompletedText(CompletedTextPage& page, const Document& document,
                        const CompletedTextOptions& options);

// Saves what the page shows. From the other tab it first switches to the page
// and rebuilds; from the page itself its text, manual edits included, is
// written unchanged. Throws SjisError (nothing written) for an unencodable
// manual edit.
[[nodiscard]] std::error_code SaveCompletedText(CompletedTextPage& page, const Document& document,
                                                const CompletedTextOptions& options,
                                                const std::filesystem::path& path);

}  // namespace obrin
