#include "cli_lyrics.h"

#include "shell/app_paths.h"
#include "shell/text_options.h"
#include "text/tagged_lyrics_reader.h"
#include "text/text_messages.h"

namespace obrin::cli {

AppSettings StartingSettings(bool fromFile) {
    const std::filesystem::path folder = ProgramFolder();
    if (!fromFile) return DefaultAppSettings(folder);
    return LoadAppSettings(folder / "obrin.ini", LoginName(), folder);
}

void ReadLyricsFile(Document& document, const std::string& path, const AppSettings& settings) {
    if (!ReadTaggedLyrics(document, path, ReaderOptionsFrom(settings)))
        throw CommandError{std::string(kLyricsOpenFailedMessage) + ": " + path};
}

}  // namespace obrin::cli
