// snc, mp3 and batch: the SP250 file, the lyric MP3 and the batch conversion
// through the export libraries, by the editor's own export code.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/dialogs.h"
#include "export/batch_conversion.h"
#include "export/batch_mark.h"
#include "export/export_command.h"
#include "export/export_messages.h"
#include "export/export_table.h"
#include "export/lyric_mp3_export.h"
#include "export/player_exports.h"
#include "export/sp250_export.h"
#include "obrin_files/same_file.h"
#include "shell/app_paths.h"
#include "shell/text_options.h"
#include "text/tagged_lyrics_reader.h"
#include "text/text_messages.h"
#include "text_input_support.h"

namespace obrin::cli {

extern const std::string_view kSncUsage =
    "usage: obrin-cli snc [--warn-remote] [--warn-body] [--settings] LYRICS OUT.snc\n"
    "Reads the time-tagged lyrics file LYRICS as lrc does and saves it as an SP250\n"
    "lyrics file through marlet (beside the program). OUT is replaced only when the\n"
    "export succeeds.\n"
    "  --warn-remote  stop at a line too long for the remote control (over 32 bytes)\n"
    "  --warn-body    stop at a line too long for the player (over 48 bytes)\n"
    "  --settings     read LYRICS with the options of the current user's obrin.ini\n";

extern const std::string_view kMp3Usage =
    "usage: obrin-cli mp3 [--settings] LYRICS SRC.mp3 OUT.mp3\n"
    "Reads LYRICS as lrc does and writes OUT, a copy of SRC with the timed lines in\n"
    "a tag in front, through tessary (beside the program). Prints the batch's result\n"
    "line for the song: \"○\" fits the SP250's remote control, \"△(n)\" only its\n"
    "player, \"▲(n)\" neither (n the longest line's bytes), \"×(n)\" failed.\n"
    "Exit status 1 for a failed song.\n";

extern const std::string_view kBatchUsage =
    "usage: obrin-cli batch [--skip-remote] [--skip-body] [--settings] SRC_DIR DST_DIR\n"
    "Makes a lyric MP3 in DST_DIR of every MP3 file in SRC_DIR that has a lyrics\n"
    "file (.txt, .lrc) of the same name beside it, prints each song's result line\n"
    "(see mp3) and then \"--- 終了 ---\". Exit status 1 when any song failed.\n"
    "  --skip-remote  delete the outputs graded △\n"
    "  --skip-body    delete the outputs graded ▲\n";

namespace {

// Every box the exports show becomes a message on standard error.
class PrintingDialogs final : public Dialogs {
  public:
    void showError(const std::string& message) override { PrintMessage(message); }
    bool confirm(const std::string& message) override {
        PrintMessage(message);
        return false;
    }
    void showInformation(const std::string& message) override { PrintMessage(message); }
    std::optional<int> choose(const std::string& message,
                              const std::vector<std::string>&) override {
        PrintMessage(message);
        return std::nullopt;
    }
    std::optional<std::string> openFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> chooseFolder(const std::string&) override { return {}; }
    std::optional<FontChoice> chooseFont(const FontChoice&) override { return {}; }
    std::optional<std::string> inputText(const std::string&, const std::string&,
                                         const std::string&) override {
        return {};
    }
};

void PrintLine(const std::string& line) {
    if (!WriteStdout(line + "\n")) throw CommandError{"標準出力に書けません"};
}

// The result list on standard output; on a terminal, the progress as a bar
// on standard error, cleared before each result line.
class PrintingBatchView final : public BatchView {
  public:
    explicit PrintingBatchView(bool showProgress) : showProgress_(showProgress) {}

    void showStatus(Status status, const std::string& text) override {
        if (!showProgress_) return;
        if (status == Status::Ended) {
            clearProgress();
            return;
        }
        const std::size_t slash = text.find('/');
        int percent = 0;
        if (status == Status::Working && slash != std::string::npos) {
            percent = std::stoi(text.substr(0, slash)) * 100 / std::stoi(text.substr(slash + 1));
        }
        constexpr int kWidth = 30;
        const std::string bar(static_cast<std::size_t>(percent * kWidth / 100), '#');
        std::fprintf(stderr, "\r\033[K[%-*s] %s", kWidth, bar.c_str(), text.c_str());
        std::fflush(stderr);
        drawn_ = true;
    }
    void clearResults() override {}
    void addResult(const std::string& line) override {
        clearProgress();
        PrintLine(line);
        failed_ = failed_ || line.starts_with("×");
    }
    void setRunning(bool) override {}

    bool anyFailed() const { return failed_; }

  private:
    void clearProgress() {
        if (!drawn_) return;
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        drawn_ = false;
    }

    bool showProgress_;
    bool drawn_ = false;
    bool failed_ = false;
};

}  // namespace

int RunSnc(const std::vector<std::string>& args) {
    return Guarded(kSncUsage, [&] {
        Sp250Warnings warnings{.remoteDisplay = false, .bodyDisplay = false};
        bool useSettings = false;
        const auto positional = ArgParser()
                                    .flag("--warn-remote", warnings.remoteDisplay)
                                    .flag("--warn-body", warnings.bodyDisplay)
                                    .flag("--settings", useSettings)
                                    .parse(args, 2, 2);
        RefuseOutputOverInput(positional[0], positional[1]);
        Document document;
        ReadLyricsFile(document, positional[0], StartingSettings(useSettings), InputFlags{},
                       LyricsUse::TimedLinesOnly);
        const std::string message =
            Sp250Export(document.lyrics, ProgramFolder(), positional[1], warnings);
        if (!message.empty()) throw CommandError{message + ": " + positional[1]};
    });
}

int RunMp3(const std::vector<std::string>& args) {
    bool failed = false;
    const int status = Guarded(kMp3Usage, [&] {
        bool useSettings = false;
        const auto positional = ArgParser().flag("--settings", useSettings).parse(args, 3, 3);
        const std::string& source = positional[1];
        const std::string& output = positional[2];
        if (IsSameFile(source, output)) throw CommandError{kSameExportFileMessage};
        RefuseOutputOverInput(positional[0], output);
        Document document;
        ReadLyricsFile(document, positional[0], StartingSettings(useSettings), InputFlags{},
                       LyricsUse::TimedLinesOnly);
        const LyricMp3Result result =
            LyricMp3Export(document.lyrics, ProgramFolder(), source, output);
        if (!result.errorMessage.empty()) PrintMessage(result.errorMessage);
        const BatchMark mark = GradeBatchResult(result);
        PrintLine(BatchResultLine(mark, result.code, source));
        failed = mark == BatchMark::Failed;
    });
    return status == kExitOk && failed ? kExitError : status;
}

int RunBatch(const std::vector<std::string>& args) {
    bool failed = false;
    const int status = Guarded(kBatchUsage, [&] {
        BatchOptions options;
        bool useSettings = false;
        const auto positional = ArgParser()
                                    .flag("--skip-remote", options.skipOverRemote)
                                    .flag("--skip-body", options.skipOverBody)
                                    .flag("--settings", useSettings)
                                    .parse(args, 2, 2);
        const ReaderOptions readerOptions = ReaderOptionsFrom(StartingSettings(useSettings));
        PrintingDialogs dialogs;
        PrintingBatchView view(isatty(STDERR_FILENO) == 1);
        // The batch runs the editor's own lyric MP3 export; the table's SP250
        // export, and so its warnings, go unused.
        ExportTable exports;
        AddPlayerExports(exports, [] { return Sp250Warnings{}; });
        BatchConversion batch(
            exports,
            [&](Document& document, const std::filesystem::path& file) {
                // Unattended: a character without a Shift-JIS form is never
                // replaced silently; the song is left out with the reason.
                const LyricsFileRead read =
                    ReadTaggedLyrics(document, file, readerOptions,
                                     [](const std::vector<char32_t>&) { return false; });
                if (read) return true;
                PrintMessage(read.message + ": " + file.string());
                return false;
            },
            dialogs, ProgramFolder(), view);
        if (!batch.start(positional[0], positional[1], options)) {
            failed = true;
            return;
        }
        while (batch.step()) {
        }
        failed = view.anyFailed();
    });
    return status == kExitOk && failed ? kExitError : status;
}

}  // namespace obrin::cli
