#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "document/document.h"
#include "shell/app_settings.h"
#include "shell/font_settings.h"

namespace obrin {

class Dialogs;
class Player;
class TimerFactory;

// Where the editor lives on disk. The settings section is the login name, so
// two users of one installation keep their own options in one "obrin.ini".
struct EditorPaths {
    std::filesystem::path programFolder;
    std::string settingsSection;
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

    Document& document() { return document_; }
    const Document& document() const { return document_; }
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
    // ListEditMode. The result is for callers that care; the close does not.
    [[nodiscard]] std::error_code saveSettings();

    // Lets the user pick another work folder, starting at the current one.
    // Returns true when the folder changed; Cancel changes nothing.
    [[nodiscard]] bool chooseWorkFolder();

    // Lets the user pick the font of one slot and writes it to "font.ini".
    // The windows keep their fonts until the next start, and the user is
    // told so. Cancel does nothing.
    void chooseFont(FontSlot slot);

    // The close request of the main window. Returns false when the user
    // declined, and then nothing has changed. On true the window may close:
    // `endConfirmRuns` has ended any confirm run, the settings are saved (a
    // failure does not stop the close) and the temporary WAV is gone.
    [[nodiscard]] bool close(const std::function<void()>& endConfirmRuns);

    // Opens "help/help.html" below the program folder, or reports that it is
    // missing.
    void showHelp();

  private:
    EditorPaths paths_;
    Dialogs& dialogs_;
    Player& player_;
    TimerFactory& timers_;
    OpenUrl openUrl_;
    Document document_;
    AppSettings settings_;
    FontSlotFonts fonts_;
};

// The fonts as the windows are designed, before "font.ini" changes them.
FontSlotFonts DesignedFonts();

// Names of the files the editor keeps beside itself or in its work folder.
inline constexpr const char* kSettingsFileName = "obrin.ini";
inline constexpr const char* kFontSettingsFileName = "font.ini";
inline constexpr const char* kTemporaryWavName = "obrin_temp.wav";
inline constexpr const char* kHelpFile = "help/help.html";

}  // namespace obrin
