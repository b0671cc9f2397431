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

// The per-user options kept in "obrin.ini", one field per key. Menu options
// are the check marks of their items. Defaults are the designed states; the
// work folder's default depends on where the program lies (DefaultAppSettings).
struct AppSettings {
    std::string workFolder;               // "tempPath": ends in '/'
    std::string markOffsetText = "-1.0";  // "panMark.Caption": MarkOffset text
    std::string author;                   // "author": Shift-JIS bytes
    std::string plainLyricsSource;        // "plainURL": bytes as stored
    bool listEditMode = false;            // "chkHosei.Checked"
    bool expandRepeats = true;            // "mnuStar.Checked"
    bool dropRepeatedBlankLines = true;   // "mnuNullLine.Checked"
    bool importInfoLines = true;          // "mnuInfo.Checked"
    // "mnuInfoAtMark/mnuInfoFirst/mnuKeyValue/mnuInfoNone.Checked", a radio
    // group; empty when the file checks none of the four.
    std::optional<SongInfoMode> songInfo = SongInfoMode::AtMark;
    // SP250 warnings: read at start, never saved, so a toggle lasts one run.
    bool warnBodyDisplay = false;    // "mnuRioViewBody.Checked"
    bool warnRemoteDisplay = true;   // "mnuRioViewRemote.Checked"
    bool appendBlankLastLine = true;  // "lastLine"
    bool gridLines = true;            // "mnuGrid"
    bool showWaveform = true;         // "mnuWaveform.Checked"
    bool snapMarksToOnsets = false;   // "mnuSnapOnset.Checked"
    bool pasteVertical = true;        // "Tate"
    bool confirmExit = true;          // "mnuChkTerminate.Checked"
    // "ly1/ly2/ly3", a radio group; empty when the file checks none.
    std::optional<ExistingLyrics> existingLyrics = ExistingLyrics::Ask;
    bool addEditedBy = false;               // "N15.Checked"
    bool addTaggingBy = false;              // "I2.Checked"
    bool plainLyricsSourceEnabled = false;  // "mnuPlainURLEnabled.Checked"
    int pasteWindowWidth = 570;   // "PasteForm.Width"
    int pasteWindowHeight = 516;  // "PasteForm.Height"
    int pasteSourceSize = 213;    // "TateWidth"
    // The lyric list's column widths in pixels; 0 until the user has closed
    // the editor once, when the list's own widths hold.
    int listLyricWidth = 0;  // "ListLyric.Width"
    int listTimeWidth = 0;   // "ListTime.Width"
    // KeyAssignment: virtual-key codes, 0 = not assigned.
    std::uint16_t keyMark = 0;       // "Key-Mark"
    std::uint16_t keyPrevCheck = 0;  // "Key-PrevCheck"
    std::uint16_t keyPlayPause = 0;  // "Key-PlayPause"
    // The encoding last picked in an open dialog for lyrics text:
    // "TextEncoding", by EncodingName ("auto", "utf-8", ...).
    TextEncoding textEncoding = TextEncoding::Auto;
    // The choices of "標準LRC形式で保存": "StdLrc.ShiftJis", "StdLrc.Milliseconds",
    // "StdLrc.KeepUntimed", "StdLrc.CrLf".
    StandardLrcOptions standardLrc{};

    friend bool operator==(const AppSettings&, const AppSettings&) = default;
};

// The folder as the work folder is written: with one trailing '/'.
std::string FolderWithSeparator(const std::filesystem::path& folder);

// The designed states, with the program folder as the work folder.
AppSettings DefaultAppSettings(const std::filesystem::path& programFolder);

// Reads `section` (the login name) of the INI file. A missing file, section
// or key, or a value that is not a number where one is expected, keeps the
// default; nothing is reported. Radio groups come out with the last item
// that the file marks true (in the order the keys are read) checked, or none
// if the file marks none. An empty work folder is taken as the default one.
AppSettings LoadAppSettings(const std::filesystem::path& iniPath, const std::string& section,
                            const std::filesystem::path& programFolder);

// Writes every key except the two SP250 warnings into `section`, keeping the
// other users' sections and any other keys. If the existing file cannot be
// read it is left alone and the error returned, rather than replaced by one
// that holds only this user's section.
[[nodiscard]] std::error_code SaveAppSettings(const std::filesystem::path& iniPath,
                                              const std::string& section,
                                              const AppSettings& settings);

}  // namespace obrin
