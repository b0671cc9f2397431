#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace obrin {

// The per-user options kept in "obrin.ini", one field per key. Menu options
// are the check marks of their items. Defaults are the designed states; the
// work folder's default depends on where the program lies (DefaultAppSettings).
struct AppSettings {
    std::string tempPath;                 // "tempPath": work folder, ends in '/'
    std::string panMarkCaption = "-1.0";  // "panMark.Caption": MarkOffset text
    std::string author;                   // "author": Shift-JIS bytes
    std::string plainURL;                 // "plainURL": bytes as stored
    bool chkHosei = false;                // "chkHosei.Checked": ListEditMode
    bool mnuStar = true;
    bool mnuNullLine = true;
    bool mnuInfo = true;
    // Song-information radio group: at most one is true.
    bool mnuInfoAtMark = true;
    bool mnuInfoFirst = false;
    bool mnuInfoNone = false;
    bool mnuKeyValue = false;
    // SP250 warnings: read at start, never saved, so a toggle lasts one run.
    bool mnuRioViewBody = false;
    bool mnuRioViewRemote = true;
    bool lastLine = true;         // "lastLine": E2
    bool mnuGrid = true;          // "mnuGrid": N23 and the list's grid lines
    bool tate = true;             // "Tate": vertical paste window
    bool mnuChkTerminate = true;  // "mnuChkTerminate.Checked": T6
    // Existing-lyrics radio group (A3, E1, N17): at most one is true.
    bool ly1 = false;
    bool ly2 = true;
    bool ly3 = false;
    bool n15 = false;  // "N15.Checked"
    bool i2 = false;   // "I2.Checked"
    bool mnuPlainURLEnabled = false;
    int pasteFormWidth = 570;   // "PasteForm.Width"
    int pasteFormHeight = 516;  // "PasteForm.Height"
    int tateWidth = 213;        // "TateWidth"
    // KeyAssignment: virtual-key codes, 0 = not assigned.
    std::uint16_t keyMark = 0;       // "Key-Mark"
    std::uint16_t keyPrevCheck = 0;  // "Key-PrevCheck"
    std::uint16_t keyPlayPause = 0;  // "Key-PlayPause"

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
