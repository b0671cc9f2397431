#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "playback/music_file_opener.h"
#include "text/completed_text.h"
#include "text/standard_lrc.h"
#include "text/text_encoding.h"

namespace obrin {

// The per-user options kept in "obrin.ini". Menu options are the check
// marks of their items. Each field's key and designed value stand in one
// table, VisitAppSettings (shell/app_settings_table.h), which the load and
// the save follow; a new setting is a field here and a line there.
struct AppSettings {
    // The designed values, with an empty work folder (DefaultAppSettings
    // puts the program folder there).
    AppSettings();

    std::string workFolder;         // ends in '/'
    std::string markOffsetText;     // MarkOffset text
    std::string author;             // Shift-JIS bytes
    std::string plainLyricsSource;  // bytes as stored
    bool listEditMode{};
    bool expandRepeats{};
    bool dropRepeatedBlankLines{};
    bool importInfoLines{};
    // A radio group; empty when the file checks none of its items.
    std::optional<SongInfoMode> songInfo{};
    // SP250 warnings: read at start, never saved, so a toggle lasts one run.
    bool warnBodyDisplay{};
    bool warnRemoteDisplay{};
    bool appendBlankLastLine{};
    bool gridLines{};
    bool showWaveform{};
    bool snapMarksToOnsets{};
    bool pasteVertical{};
    bool confirmExit{};
    // A radio group; empty when the file checks none of its items.
    std::optional<ExistingLyrics> existingLyrics{};
    bool addEditedBy{};
    bool addTaggingBy{};
    bool plainLyricsSourceEnabled{};
    int pasteWindowWidth{};
    int pasteWindowHeight{};
    int pasteSourceSize{};
    // The lyric list's column widths in pixels; 0 until the user has closed
    // the editor once, when the list's own widths hold.
    int listLyricWidth{};
    int listTimeWidth{};
    // The keys assigned to the mark, check-previous and play/pause buttons:
    // virtual-key codes (shell/key_codes.h), 0 = not assigned.
    std::uint16_t keyMark{};
    std::uint16_t keyPrevCheck{};
    std::uint16_t keyPlayPause{};
    // The encoding last picked in an open dialog for lyrics text.
    TextEncoding textEncoding{};
    // The choices of "標準LRC形式で保存".
    StandardLrcOptions standardLrc;
    // The batch window's source and output folders when it last closed;
    // empty until then, when its lists start on the first drive.
    std::string batchSourceFolder;
    std::string batchOutputFolder;
    // Whether the user has answered the offer to measure their marks' delay.
    bool calibrationOffered{};
    // 「キーを離した時刻も記録」 of the karaoke tab: the key's release ends a line.
    bool karaokeKeyUp{};

    friend bool operator==(const AppSettings&, const AppSettings&) = default;
};

// The folder as the work folder is written: with one trailing '/'.
std::string FolderWithSeparator(const std::filesystem::path& folder);

// The designed states, with the program folder as the work folder.
AppSettings DefaultAppSettings(const std::filesystem::path& programFolder);

// Reads `section` (the login name) of the INI file. A missing file, section
// or key, or a value that is not a number where one is expected, keeps the
// default; only a file that is there but cannot be read is reported, in
// `error` when given. Radio groups come out with the last item
// that the file marks true (in the order the keys are read) checked, or none
// if the file marks none. An empty work folder is taken as the default one.
AppSettings LoadAppSettings(const std::filesystem::path& iniPath, const std::string& section,
                            const std::filesystem::path& programFolder,
                            std::error_code* error = nullptr);

// Writes every setting that is saved into `section`, keeping the other
// users' sections and any other keys. If the existing file cannot be read it
// is left alone and the error returned, rather than replaced by one that
// holds only this user's section.
[[nodiscard]] std::error_code SaveAppSettings(const std::filesystem::path& iniPath,
                                              const std::string& section,
                                              const AppSettings& settings);

}  // namespace obrin
