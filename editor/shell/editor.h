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
class TimerFactory;

// Where the editor lives on disk. The settings section is the login name, so
// two users of one installation keep their own options in one "obrin.ini".
struct EditorPaths {
    std::filesystem::path programFolder;
    std::string settingsSection;
    // The user's own folder for the recovery file when the work folder
    // cannot be written (an installed copy's program folder); made when
    // first needed. Empty: the recovery file stays in the work folder.
    std::filesystem::path stateFolder = {};
};

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
    // The folder that holds the temporary WAV; the program folder until the
    // settings name another one.
    std::filesystem::path workFolder() const;
    std::filesystem::path temporaryWavPath() const;
    std::filesystem::path settingsPath() const;
    std::filesystem::path fontSettingsPath() const;

    // Reads "obrin.ini" and "font.ini" and hands the document its MarkOffset
    // and ListEditMode. Missing files, sections and keys leave the defaults.
    void loadSettings();
    // Writes the settings with the document's current MarkOffset and
    // ListEditMode.
    [[nodiscard]] std::error_code saveSettings();

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
    // write there, else the paths' state folder (when there is one).
    [[nodiscard]] std::filesystem::path recoveryFolder() const;
    // Where the work is kept until it is saved; empty before startRecovery
    // and without keepRecoveryFile.
    const std::filesystem::path& recoveryFilePath() const { return recoveryPath_; }

    // Opens "help/help.html" below the program folder, or reports that it is
    // missing.
    void showHelp();

  private:
    void writeRecoveryFile();
    void removeRecoveryFile();

    EditorPaths paths_;
    Dialogs& dialogs_;
    Player& player_;
    TimerFactory& timers_;
    OpenUrl openUrl_;
    Document document_;
    UnsavedChanges changes_{document_};
    AppSettings settings_;
    FontSlotFonts fonts_;
    bool keepsRecovery_ = false;
    std::filesystem::path recoveryPath_;
    bool recoveryInStateFolder_ = false;
    std::unique_ptr<Autosave> autosave_;
    // A failed write is told once, not every few seconds.
    bool recoveryFailureShown_ = false;
};

// The fonts as the windows are designed, before "font.ini" changes them.
FontSlotFonts DesignedFonts();

// Names of the files the editor keeps beside itself or in its work folder.
inline constexpr const char* kSettingsFileName = "obrin.ini";
inline constexpr const char* kFontSettingsFileName = "font.ini";
inline constexpr const char* kTemporaryWavName = "obrin_temp.wav";
inline constexpr const char* kHelpFile = "help/help.html";

inline constexpr const char* kRecoverQuestion = "前回の作業を復元しますか?";
inline constexpr const char* kSettingsNotSavedMessage = "設定を保存できません";
// The recovery file in the work folder; each user of one installation (one
// section of "obrin.ini") keeps their own.
[[nodiscard]] std::string RecoveryFileName(const std::string& settingsSection);

}  // namespace obrin
