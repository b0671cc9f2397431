#include "playback/music_file_decode.h"

#include <system_error>

#include "obrin_files/file_replacement.h"
#include "obrin_files/same_file.h"
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

    // The plug-in fills the temporary file by name; nothing already at that
    // name is followed or truncated, and the target changes only when the
    // conversion succeeded.
    FileReplacement replacement;
    if (const std::error_code error = replacement.begin(wavPath, "part"))
        return fail(wavPath + ": " + error.message());

    const int result = CallInputPlugin(library, programFolder, sourcePath,
                                       replacement.temporary().string(), progress, failure);
    if (result != 0) return result;
    if (const std::error_code error = replacement.commit())
        return fail(wavPath + ": " + error.message());
    return 0;
}

}  // namespace obrin
