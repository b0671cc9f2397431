// draft: line starts proposed from a song's voice, the lines already timed
// kept as anchors.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "cli_args.h"
#include "cli_command.h"
#include "obrin_files/file_replacement.h"
#include "playback/input_plugin_call.h"
#include "playback/music_file_names.h"
#include "playback/music_file_opener.h"
#include "playback/plugin_registry.h"
#include "playback/timing_draft.h"
#include "playback/wav_reader.h"
#include "shell/app_paths.h"
#include "shell/text_options.h"
#include "text/completed_text.h"
#include "text/lyrics_expansion.h"
#include "text/tagged_lyrics_reader.h"
#include "text/ruby_suggestions.h"
#include "text/text_lines.h"
#include "text_input_support.h"

namespace obrin::cli {

extern const std::string_view kDraftUsage =
    "usage: obrin-cli draft [-o OUT] [--encoding E] [--replace] [--settings] SONG LYRICS\n"
    "Proposes a start and an end for every untimed line of LYRICS from the voice in\n"
    "SONG (converted through its input plug-in, as the editor opens it) and prints\n"
    "(or writes to OUT) the lyrics with them, each line's units spread over its\n"
    "time by their morae. LYRICS may be plain lines (read through the automatic\n"
    "expansion, as the editor pastes them) or timed lyrics. Lines already timed are kept and the others fitted\n"
    "between them. What the draft could not place stays untimed and is named on\n"
    "standard error; a song without a voice is an error.\n";

namespace {

void ShowProgress(int percent) {
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\r[%-*s] %3d%%", kWidth, std::string(filled, '#').c_str(), percent);
    std::fflush(stderr);
}

// The song as a PCM WAV in the system's temporary folder, removed with the
// returned replacement (and by a signal, as every temporary file is).
FileReplacement DecodeSong(const std::string& song, bool showProgress) {
    const std::filesystem::path folder = ProgramFolder();
    FileReplacement wav;
    if (const std::error_code error =
            wav.begin(std::filesystem::temp_directory_path() / "obrin-draft.wav", "song"))
        throw CommandError{"一時ファイルを作れません: " + error.message()};
    const PluginTable table = ReadPluginTable(folder);
    std::string failure;
    const int result = CallInputPlugin(
        table.lookup(ExtensionKey(song)), folder, song, wav.temporary().string(),
        [showProgress](std::int32_t total, std::int32_t done) {
            if (showProgress && total > 0) ShowProgress(static_cast<int>(done * 50LL / total));
            return 0;
        },
        &failure);
    if (result != 0) {
        if (showProgress) std::fputs("\r\033[K", stderr);
        throw CommandError{DecodeFailedMessage(result) + " " + song +
                           (failure.empty() ? "" : " (" + failure + ")")};
    }
    return wav;
}

// Tagged lyrics as the editor reads them; plain lyrics (no line with a time)
// through the automatic expansion, as the editor offers them for the paste.
void ReadLyrics(Document& document, const std::string& path, const AppSettings& settings,
                const InputFlags& input) {
    ReaderOptions options = ReaderOptionsFrom(settings);
    options.encoding = input.encoding();
    const LyricsFileRead read = ReadTaggedLyrics(document, path, options, input.consent());
    if (!read) throw CommandError{read.message + ": " + path};
    if (read.report.noLyricLines) {
        // The plain lines were kept as the head of a tagged file would be.
        document.setHeaderLines({});
        PasteWithExpansion(document, CutLines(ReadInput({path}, input)),
                           ExpansionOptionsFrom(settings));
        return;
    }
    if (const std::string warning = ReadReportMessage(read.report); !warning.empty())
        PrintMessage(warning + ": " + path);
}

}  // namespace

int RunDraft(const std::vector<std::string>& args) {
    return Guarded(kDraftUsage, [&] {
        ArgParser parser;
        InputFlags input;
        input.addTo(parser);
        bool useSettings = false;
        std::optional<std::string> out;
        parser.flag("--settings", useSettings);
        parser.option("-o", out);
        const std::vector<std::string> files = parser.parse(args, 2, 2);
        const std::string& song = files[0];
        const std::string& lyrics = files[1];
        if (out) {
            RefuseOutputOverInput(lyrics, *out);
            RefuseOutputOverInput(song, *out);
        }
        const AppSettings settings = StartingSettings(useSettings);
        Document document;
        ReadLyrics(document, lyrics, settings, input);

        const bool showProgress = isatty(STDERR_FILENO) == 1;
        const FileReplacement wav = DecodeSong(song, showProgress);
        const std::unique_ptr<RubySuggester> readings = RubySuggester::open();
        DraftResult result;
        try {
            WavReader reader(wav.temporary());
            result = DraftTimingOfWav(reader, DraftLinesOf(document, readings.get()),
                                      [showProgress](int percent) {
                                          if (showProgress) ShowProgress(50 + percent / 2);
                                          return true;
                                      });
        } catch (const WavError& error) {
            if (showProgress) std::fputs("\r\033[K", stderr);
            throw CommandError{error.what()};
        }
        if (showProgress) std::fputs("\r\033[K", stderr);
        const int drafted = ApplyDraft(document, result);
        for (const std::string& problem : result.problems) PrintMessage(problem + " " + song);
        if (drafted == 0 && !result.problems.empty())
            throw CommandError{"下書きできた行がありません"};

        const std::vector<std::string> lines =
            BuildCompletedText(document, CompletedTextOptionsFrom(settings));
        if (!out) {
            if (!WriteStdout(JoinLinesCrLf(lines))) throw CommandError{"標準出力に書けません"};
        } else if (const std::error_code error = WriteTextFile(*out, lines)) {
            throw CommandError{FileWriteErrorMessage(*out, error)};
        }
    });
}

}  // namespace obrin::cli
