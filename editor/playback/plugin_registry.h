#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "playback/plugin_table.h"

namespace obrin {

class Dialogs;

// Reads section "type" of "filetype.ini" in the program's folder, key by key
// in file order. A missing or unreadable file gives an empty table.
[[nodiscard]] PluginTable ReadPluginTable(const std::filesystem::path& programFolder);

// Registers `library` for `extension` in "filetype.ini", creating the file and
// the section when missing and replacing an existing key's value.
[[nodiscard]] std::error_code InstallPlugin(const std::filesystem::path& programFolder,
                                            const std::string& extension,
                                            const std::string& library);

inline constexpr const char* kUninstallUnsupportedMessage =
    "アンインストールはまだサポートされていません";
inline constexpr const char* kRegistryWriteFailedMessage = "filetype.iniに書き込めませんでした";

// "library(extension)がインストールされました"
[[nodiscard]] std::string PluginInstalledMessage(const std::string& extension,
                                                 const std::string& library);

enum class StartUpAction { Continue, Exit };

// The editor's command line (without the program name), handled once the
// PluginTable exists: "-install-dll EXT LIBRARY" registers a plug-in and
// "-uninstall-dll" answers that it cannot; both then end the program at once.
// Any other first argument is a music file to open; further ones are ignored.
[[nodiscard]] StartUpAction HandleCommandLine(
    const std::vector<std::string>& arguments, const std::filesystem::path& programFolder,
    Dialogs& dialogs, const std::function<void(const std::string& path)>& openMusicFile);

}  // namespace obrin
