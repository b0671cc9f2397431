#include "playback/music_file_decode.h"

#include <unistd.h>

#include <system_error>

#include "base/atomic_file.h"
#include "base/file_identity.h"
#include "playback/music_file_names.h"
#include "playback/plugin_registry.h"
#include "text/text_messages.h"

namespace obrin {

int DecodeMusicFile(const std::filesystem::path& programFolder, const std::string& sourcePath,
                    const std::string& wavPath, const InputProgress& progress,
                    std::string* failure) {
    const auto fail = [failure](const std::string& why) {
        if (failure != nullptr) *failure = why;
        return 1;
    };
    // The plug-in only ever sees the partial file, so it cannot notice that
    // the finished one would replace its own source.
    if (IsSameFile(sourcePath, wavPath)) return fail(kSameFileMessage);

    const PluginTable table = ReadPluginTable(programFolder);
    const std::string library = table.lookup(ExtensionKey(sourcePath));

    // Beside the target, so the final rename never crosses file systems, and
    // made new here, so nothing already at its name is followed or truncated.
    const std::filesystem::path target(wavPath);
    std::filesystem::path partial;
    int fd = -1;
    if (const std::error_code error = CreateFileBeside(target, "part", fd, partial))
        return fail(wavPath + ": " + error.message());
    ::close(fd);

    const int result =
        CallInputPlugin(library, programFolder, sourcePath, partial.string(), progress, failure);
    std::error_code error;
    if (result != 0) {
        std::filesystem::remove(partial, error);
        return result;
    }
    std::filesystem::rename(partial, target, error);
    if (error) {
        const std::string why = wavPath + ": " + error.message();
        std::filesystem::remove(partial, error);
        return fail(why);
    }
    return 0;
}

}  // namespace obrin
