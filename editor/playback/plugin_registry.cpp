#include "playback/plugin_registry.h"

#include "base/dialogs.h"
#include "base/ini_file.h"

namespace obrin {

namespace {

std::filesystem::path RegistryPath(const std::filesystem::path& programFolder) {
    return programFolder / kPluginRegistryFileName;
}

}  // namespace

PluginTable ReadPluginTable(const std::filesystem::path& programFolder) {
    IniFile ini;
    PluginTable table;
    if (ini.load(RegistryPath(programFolder))) return table;
    for (const auto& key : ini.keys(kPluginRegistrySection)) {
        table.add(key, ini.readString(kPluginRegistrySection, key));
    }
    return table;
}

std::error_code InstallPlugin(const std::filesystem::path& programFolder,
                              const std::string& extension, const std::string& library) {
    const auto path = RegistryPath(programFolder);
    IniFile ini;
    // A missing file is created; one that exists but cannot be read must not
    // be replaced by a file holding only the new key.
    if (const auto error = ini.load(path); error && error != std::errc::no_such_file_or_directory) {
        return error;
    }
    ini.writeString(kPluginRegistrySection, extension, library);
    return ini.save(path);
}

std::string PluginInstalledMessage(const std::string& extension, const std::string& library) {
    return library + "(" + extension + ")がインストールされました";
}

StartUpAction HandleCommandLine(const std::vector<std::string>& arguments,
                                const std::filesystem::path& programFolder, Dialogs& dialogs,
                                const std::function<void(const std::string& path)>& openMusicFile) {
    if (arguments.empty()) return StartUpAction::Continue;
    const std::string& first = arguments.front();
    if (first == "-install-dll") {
        // Too few arguments: an ordinary start, nothing written.
        if (arguments.size() < 3) return StartUpAction::Continue;
        if (InstallPlugin(programFolder, arguments[1], arguments[2])) {
            dialogs.showError(kRegistryWriteFailedMessage);
        } else {
            dialogs.showInformation(PluginInstalledMessage(arguments[1], arguments[2]));
        }
        return StartUpAction::Exit;
    }
    if (first == "-uninstall-dll") {
        dialogs.showInformation(kUninstallUnsupportedMessage);
        return StartUpAction::Exit;
    }
    openMusicFile(first);
    return StartUpAction::Continue;
}

}  // namespace obrin
