#include "playback/music_file_decode.h"

#include <unistd.h>

#include <system_error>

#include "playback/music_file_names.h"
#include "playback/plugin_registry.h"

namespace obrin {

int DecodeMusicFile(const std::filesystem::path& programFolder, const std::string& sourcePath,
                    const std::string& wavPath, const InputProgress& progress,
                    std::string* failure) {
    const PluginTable table = ReadPluginTable(programFolder);
    const std::string library = table.lookup(ExtensionKey(sourcePath));

    // Same folder as the target, so the final rename never crosses file systems.
    const std::filesystem::path target(wavPath);
    const std::filesystem::path partial =
        target.parent_path() /
        std::string(".")
            .append(target.filename().string())
            .append(".")
            .append(std::to_string(getpid()))
            .append(".part");
    const int result =
        CallInputPlugin(library, programFolder, sourcePath, partial.string(), progress, failure);
    std::error_code error;
    if (result != 0) {
        std::filesystem::remove(partial, error);
        return result;
    }
    std::filesystem::rename(partial, target, error);
    if (error) {
        if (failure != nullptr) *failure = wavPath + ": " + error.message();
        std::filesystem::remove(partial, error);
        return 1;
    }
    return 0;
}

}  // namespace obrin
