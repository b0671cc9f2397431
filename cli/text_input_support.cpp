#include "text_input_support.h"

#include <unistd.h>

#include "base/file_bytes.h"
#include "obrin_files/same_file.h"
#include "shell/app_paths.h"
#include "shell/editor.h"
#include "shell/text_options.h"
#include "text/tagged_lyrics_reader.h"
#include "text/text_input.h"

namespace obrin::cli {

void RefuseOutputOverInput(const std::string& input, const std::string& output) {
    if (IsSameFile(input, output))
        throw CommandError{std::string(kSameFileMessage) + ": " + output};
}

AppSettings StartingSettings(bool fromFile) {
    const std::filesystem::path folder = ProgramFolder();
    if (!fromFile) return DefaultAppSettings(folder);
    return LoadAppSettings(SettingsFileToRead(ChooseEditorPaths(folder, LoginName())), LoginName(),
                           folder);
}

void InputFlags::addTo(ArgParser& parser) {
    parser.option("--encoding", encodingName).flag("--replace", replace);
}

TextEncoding InputFlags::encoding() const {
    if (!encodingName) return TextEncoding::Auto;
    if (const auto encoding = EncodingFromName(*encodingName)) return *encoding;
    throw UsageError("--encoding takes auto, shift-jis, utf-8, utf-16 or euc-jp");
}

ReplacementConsent InputFlags::consent() const {
    return [replace = replace](const std::vector<char32_t>& unmappable) {
        if (!replace)
            throw CommandError{UnmappableMessage(unmappable) +
                               " (--replace で「・」に置き換えます)"};
        return true;
    };
}

std::string ReadInput(const std::vector<std::string>& positional, const InputFlags& input) {
    const TextEncoding encoding = input.encoding();
    TextRead read;
    if (positional.empty() || positional[0] == "-") {
        // A folder or a closed descriptor is an error, not empty lyrics.
        std::error_code error;
        const auto bytes = ReadDescriptorBytes(STDIN_FILENO, error);
        if (!bytes) throw CommandError{"標準入力を読めません。\n" + error.message()};
        read = DecodeTextInput(*bytes, encoding, input.consent());
    } else {
        read = ReadTextInput(positional[0], encoding, input.consent());
    }
    if (read.status != TextReadStatus::Read) throw CommandError{read.message};
    return read.sjis;
}

void ReadLyricsFile(Document& document, const std::string& path, const AppSettings& settings,
                    const InputFlags& input, LyricsUse use) {
    ReaderOptions options = ReaderOptionsFrom(settings);
    options.encoding = input.encoding();
    options.keepPlainHeaderLines = use == LyricsUse::EditorText;
    const LyricsFileRead read = ReadTaggedLyrics(document, path, options, input.consent());
    if (!read) throw CommandError{read.message + ": " + path};
    if (const std::string warning = ReadReportMessage(read.report); !warning.empty())
        PrintMessage(warning + ": " + path);
}

}  // namespace obrin::cli
