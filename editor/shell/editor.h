#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "document/document.h"
#include "document/unsaved_changes.h"
#include "shell/app_settings.h"
#include "shell/font_settings.h"

namespace obrin {

class Autosave;
class Dialogs;
class Player;
class RecoveryWriter;
class TimerFactory;

// Where the editor lives on disk. The settings section is the login name, so
// two users of one portable copy keep their own options in one "obrin.ini".
struct EditorPaths {
    std::filesystem::path programFolder;
    std::string settingsSection;
    // Where "obrin.ini" and "font.ini" are kept; made when first written.
    // Empty: the program folder, as a portable copy keeps them.
    std::filesystem::path configFolder = {};
    // The work folder until the user chooses one; made when a song is
    // decoded into it. Empty: the program folder.
    std::filesystem::path cacheFolder = {};
    // The user's own folder for the recovery file when the work folder
    // cannot be written; made when first needed. Empty: the recovery file
    // stays in the work folder.
    std::filesystem::path stateFolder = {};
};

// Where this user's editor keeps its files. A portable copy (an "obrin.ini"
// beside the program, in a folder this user may write) keeps everything in
// the program folder as it always has; any other copy keeps the settings,
// the decoded song and the recovery file in the user's own folders
// (ConfigFolder, CacheFolder, StateFolder), and so does an installed one
// under a read-only prefix. Without a home folder to put them in, the
// program folder stays the place.
[[nodiscard]] EditorPaths ChooseEditorPaths(std::filesystem::path programFolder,
                                            std::string settingsSection);
// The "obrin.ini" that holds the settings for those paths: the user's, or
// the one beside the program until the editor's first start takes it over.
[[nodiscard]] std::filesystem::path SettingsFileToRead(const EditorPaths& paths);

// The editor without its windows: the document, the user's settings, the
// folders, and the outside world it reaches through injected boundaries.
// The main window is a thin view over one Editor; every rule about start-up
// and shutdown lives here so it can be tested without a toolkit.
class Editor {
  public:
    // Opens a file or address with the desktop's default application; false
    // when nothing could be started.
    using OpenUrl = std::function<bool(const std::string& pathOrUrl)>;

    Editor(EditorPaths paths, Dialogs& dialogs, Player& player, TimerFactory& timers,
           OpenUrl openUrl);
    ~Editor();

    Document& document() { return document_; }
    const Document& document() const { return document_; }
    // Whether the document holds changes not yet saved.
    UnsavedChanges& changes() { return changes_; }
    const UnsavedChanges& changes() const { return changes_; }
    AppSettings& settings() { return settings_; }
    const AppSettings& settings() const { return settings_; }
    Dialogs& dialogs() { return dialogs_; }
    Player& player() { return player_; }
    TimerFactory& timers() { return timers_; }

    // The four fonts of "font.ini", as designed until the settings are read.
    const FontSlotFonts& fonts() const { return fonts_; }

    const std::filesystem::path& programFolder() const { return paths_.programFolder; }
    // The folder that holds the temporary WAV; the cache folder (or, in a
    // portable copy, the program folder) until the settings name another one.
    std::filesystem::path workFolder() const;
    std::filesystem::path temporaryWavPath() const;
    std::filesystem::path settingsPath() const;
    std::filesystem::path fontSettingsPath() const;
    // Makes the work folder when it is the user's cache folder, and refuses
    // a work folder whose disk is full, so that a decode is not started only
    // to fail. Throws std::runtime_error with the folder and the reason.
    void prepareWorkFolder() const;

    // Reads "obrin.ini" and "font.ini" and hands the document its MarkOffset
    // and ListEditMode. Missing files, sections and keys leave the defaults.
    // The first start of a copy that keeps its settings in the user's folder
    // takes the files left beside the program, once. A file that is there
    // but cannot be read is reported; the editor then runs on the defaults
    // and never writes that file, so what it holds is not replaced by them.
    void loadSettings();
    // Writes the settings with the document's current MarkOffset and
    // ListEditMode, making the settings folder when it is missing.
    [[nodiscard]] std::error_code saveSettings();
    // Writes the settings when they differ from the ones last read or
    // written, so that a crash loses no option. Commands, the mark offset and
    // the list-edit mode call it on their own; code that changes a setting
    // anywhere else calls it after. A failure is told once, until a save
    // succeeds again.
    void saveChangedSettings();

    // Lets the user pick another work folder, starting at the current one.
    // Returns true when the folder changed; Cancel changes nothing.
    [[nodiscard]] bool chooseWorkFolder();

    // Lets the user pick the font of one slot and writes it to "font.ini".
    // The windows keep their fonts until the next start, and the user is
    // told so. Cancel does nothing.
    void chooseFont(FontSlot slot);

    // The close request of the main window. With unsaved changes it asks
    // kSaveChangesQuestion (はい runs `saveChanges`, which is true when the
    // text was written), else the exit question if the user wants one.
    // Returns false when the user declined or the save did not happen, and
    // then nothing has changed. On true the window may close:
    // `endConfirmRuns` has ended any confirm run, the settings are saved (a
    // failure is shown with kSettingsNotSavedMessage, the file and the
    // reason, and does not stop the close), and the temporary WAV and the
    // recovery file are gone.
    [[nodiscard]] bool close(const std::function<void()>& endConfirmRuns,
                             const std::function<bool()>& saveChanges);

    // Recovery after an abnormal end. Only the editor that holds the
    // single-instance lock may keep the recovery file: without the lock a
    // second editor could take the first one's file. Call before the start-up
    // steps end; without it there is no recovery file.
    void keepRecoveryFile() { keepsRecovery_ = true; }
    // The music file the document belongs to, for the recovery file.
    std::function<std::string()> songPath;
    // The text typed into the tab "完成型" (UTF-8), kept on the tab or off
    // it, for the recovery file; std::nullopt when there is none.
    std::function<std::optional<std::string>()> typedText;
    // The last start-up step before the command line's file: if a previous
    // run ended without closing and left its work, offers it back
    // (kRecoverQuestion); OK calls `reopenSong` with the song's path (when
    // there was one), restores the document, then hands the text typed into
    // the tab "完成型" to `restoreTypedText` (when there was some); the
    // document then holds unsaved changes. From then on the work is written
    // to the recovery file in `recoveryFolder()` (as it is now; a later
    // change of folder takes effect with the next start, which is where that
    // start will look).
    void startRecovery(const std::function<void(const std::string& songPath)>& reopenSong,
                       const std::function<void(const std::string& typedText)>& restoreTypedText);
    // Where the recovery file goes: the work folder when this user may
    // write there and it is not the user's cache folder, else the paths'
    // state folder (when there is one).
    [[nodiscard]] std::filesystem::path recoveryFolder() const;
    // Where the work is kept until it is saved; empty before startRecovery
    // and without keepRecoveryFile.
    const std::filesystem::path& recoveryFilePath() const { return recoveryPath_; }
    // The recovery file is written off this thread; this returns once it
    // holds the work last handed over (or is gone after a save), and shows a
    // failure to write it. For whoever reads the file right away.
    void settleRecoveryFile();

    // The offer to measure the marks' delay (kCalibrationQuestion), made when
    // a song has been opened: at most once a run, and only while the user
    // has not answered it before and the MarkOffset is still the designed
    // one. True when the user chose to measure now. Both answers are
    // remembered in the settings; Cancel leaves the offer for a later run.
    [[nodiscard]] bool offerCalibration();

    // Opens "help/help.html" below the program folder, or reports that it is
    // missing, or that nothing could open it (NoBrowserMessage).
    void showHelp();

  private:
    std::filesystem::path settingsFolder() const;
    std::filesystem::path defaultWorkFolder() const;
    bool workFolderIsCache() const;
    [[nodiscard]] AppSettings settingsWithDocument() const;
    // Why the settings could not be written; empty when they were.
    [[nodiscard]] std::string trySavingSettings();
    void showSettingsNotSaved(const std::string& reason);
    // The settings file to read: the user's, or the one beside the program
    // while it cannot be taken over.
    std::filesystem::path adoptSettingsBesideProgram(const char* fileName);
    void writeRecoveryFile();
    void removeRecoveryFile();
    // A failed write is told once, not every few seconds.
    void showRecoveryFailure();

    EditorPaths paths_;
    Dialogs& dialogs_;
    Player& player_;
    TimerFactory& timers_;
    OpenUrl openUrl_;
    Document document_;
    UnsavedChanges changes_{document_};
    AppSettings settings_;
    // What "obrin.ini" holds for this user as last read or written; empty
    // until the settings are read.
    std::optional<AppSettings> savedSettings_;
    // Why "obrin.ini" or "font.ini" could not be read; such a file is never
    // written.
    std::error_code settingsUnreadable_;
    std::error_code fontsUnreadable_;
    bool settingsFailureShown_ = false;
    Connection documentSettings_;
    FontSlotFonts fonts_;
    bool keepsRecovery_ = false;
    std::filesystem::path recoveryPath_;
    // Before the autosave, whose writes it takes: it is destroyed after it,
    // finishing the last of them.
    std::unique_ptr<RecoveryWriter> recoveryWriter_;
    std::unique_ptr<Autosave> autosave_;
    bool calibrationOfferedThisRun_ = false;
};

// The fonts as the windows are designed, before "font.ini" changes them.
FontSlotFonts DesignedFonts();

// Names of the files the editor keeps beside itself or in its work folder.
inline constexpr const char* kSettingsFileName = "obrin.ini";
inline constexpr const char* kFontSettingsFileName = "font.ini";
inline constexpr const char* kTemporaryWavName = "obrin_temp.wav";
inline constexpr const char* kHelpFile = "help/help.html";

inline constexpr const char* kRecoverQuestion = "前回の作業を復元しますか?";
inline constexpr const char* kCalibrationQuestion =
    "マークの遅れを測りますか?\n"
    "キーを押してからマークが付くまでの遅れを測り、マーク位置に設定します"
    "(「タイミング調整」でいつでも測れます)";
inline constexpr const char* kMeasureAnswer = "測る";
inline constexpr const char* kNotNowAnswer = "今はしない";
inline constexpr const char* kSettingsNotSavedMessage = "設定を保存できません";
inline constexpr const char* kSettingsNotReadMessage = "設定を読み込めません";
// Shown when the desktop has nothing to open the help with: where the
// user finds it.
[[nodiscard]] std::string NoBrowserMessage(const std::filesystem::path& help);
// The recovery file in the work folder; each user of one installation (one
// section of "obrin.ini") keeps their own.
[[nodiscard]] std::string RecoveryFileName(const std::string& settingsSection);

}  // namespace obrin
