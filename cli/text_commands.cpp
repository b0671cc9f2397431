// expand, lrc, paste and obt: the lyrics text commands over the editor's core.
#include <optional>
#include <string>

#include "base/conversion_error.h"
#include "base/sjis_codec.h"
#include "cli_args.h"
#include "cli_command.h"
#include "shell/app_paths.h"
#include "shell/app_settings.h"
#include "shell/text_options.h"
#include "text/completed_text.h"
#include "text/lyrics_expansion.h"
#include "text/tag_info_file.h"
#include "text/tagged_lyrics_reader.h"
#include "text/text_lines.h"
#include "text/text_messages.h"
#include "text_input_support.h"

namespace obrin::cli {

const std::string_view kExpandUsage =
    "usage: obrin-cli expand [--no-star] [--keep-blank] [--no-last-blank] [--keep-info]\n"
    "                        [--encoding E] [--replace] [--settings] [IN]\n"
    "Expands the repeat marks of plain lyrics (Shift-JIS) from IN or standard input\n"
    "and prints the lines, CR LF after each.\n"
    "  --no-star        leave the repeat marks as they are\n"
    "  --keep-blank     keep runs of blank lines\n"
    "  --no-last-blank  add no closing empty line\n"
    "  --keep-info      keep lines that begin with \"@\"\n"
    "  --settings       start from the options of the current user's obrin.ini\n"
    "  --encoding E     auto (default), shift-jis, utf-8, utf-16 or euc-jp\n"
    "  --replace        write \"・\" for characters Shift-JIS cannot hold\n";

const std::string_view kLrcUsage =
    "usage: obrin-cli lrc [-o OUT] [--info atmark|first|keyvalue|none] [--title T]\n"
    "                     [--artist A] [--no-info-import] [--author NAME] [--tagging-by]\n"
    "                     [--edited-by] [--encoding E] [--replace] [--settings] IN\n"
    "Reads the time-tagged lyrics file IN as the editor does and prints the completed\n"
    "text it would save (or writes it to OUT).\n"
    "  --info MODE       song information: atmark (default), first, keyvalue, none\n"
    "  --title, --artist set the fields after the read (UTF-8 arguments)\n"
    "  --no-info-import  do not import \"@\" lines\n"
    "  --author NAME     the author name of the two lines below\n"
    "  --tagging-by      add \"@TaggingBy=\" (only to lyrics not read from a file)\n"
    "  --edited-by       add \"@EditedBy=\" while reading\n"
    "  --encoding E      the encoding of IN: auto (default), shift-jis, utf-8, utf-16,\n"
    "                    euc-jp\n"
    "  --replace         write \"・\" for characters Shift-JIS cannot hold\n";

const std::string_view kPasteUsage =
    "usage: obrin-cli paste [--no-star] [--keep-blank] [--no-last-blank] [--keep-info]\n"
    "                       [-o OUT] [--info MODE] [--title T] [--artist A]\n"
    "                       [--author NAME] [--tagging-by] [--encoding E] [--replace]\n"
    "                       [--settings] [IN]\n"
    "Pastes plain lyrics from IN or standard input with automatic expansion and\n"
    "prints the completed text, every line untimed (see expand and lrc).\n";

const std::string_view kObtUsage =
    "usage: obrin-cli obt save [--no-star] [--keep-blank] [--no-last-blank]\n"
    "                          [--no-info-import] [--encoding E] [--replace]\n"
    "                          [--settings] LYRICS OUT.obt\n"
    "       obrin-cli obt combine [--yes] [--no-info-import] [--encoding E] [--replace]\n"
    "                             [--settings] OBT PLAIN\n"
    "save:    reads LYRICS as lrc does and writes its tag-information file; the\n"
    "         expansion flags are the options recorded in it. OUT is replaced.\n"
    "combine: pastes PLAIN with the expansion options stored in OBT, restores the\n"
    "         times and prints the completed text. A text that differs from the one\n"
    "         the times were made for stops the combine there, unless --yes.\n"
    "--encoding and --replace apply to LYRICS and PLAIN, as in lrc.\n";

namespace {

// The four paste flags; each turns one option off.
struct ExpansionFlags {
    bool noStar = false, keepBlank = false, noLastBlank = false, keepInfo = false;

    void addTo(ArgParser& parser, bool withKeepInfo) {
        parser.flag("--no-star", noStar)
            .flag("--keep-blank", keepBlank)
            .flag("--no-last-blank", noLastBlank);
        if (withKeepInfo) parser.flag("--keep-info", keepInfo);
    }
    void applyTo(AppSettings& settings) const {
        if (noStar) settings.expandRepeats = false;
        if (keepBlank) settings.dropRepeatedBlankLines = false;
        if (noLastBlank) settings.appendBlankLastLine = false;
        if (keepInfo) settings.importInfoLines = false;
    }
};

// The options that shape the completed text.
struct TextFlags {
    std::optional<std::string> out, info, title, artist, author;
    bool taggingBy = false, editedBy = false;

    void addTo(ArgParser& parser) {
        parser.option("-o", out)
            .option("--info", info)
            .option("--title", title)
            .option("--artist", artist)
            .option("--author", author)
            .flag("--tagging-by", taggingBy)
            .flag("--edited-by", editedBy);
    }
    void applyTo(AppSettings& settings) const {
        if (info) {
            if (*info == "atmark") {
                settings.songInfo = SongInfoMode::AtMark;
            } else if (*info == "first") {
                settings.songInfo = SongInfoMode::First;
            } else if (*info == "keyvalue") {
                settings.songInfo = SongInfoMode::KeyValue;
            } else if (*info == "none") {
                settings.songInfo = SongInfoMode::None;
            } else {
                throw UsageError("--info takes atmark, first, keyvalue or none");
            }
        }
        if (author) settings.author = Sjis(*author);
        if (taggingBy) settings.addTaggingBy = true;
        if (editedBy) settings.addEditedBy = true;
    }
    // Title and artist are set after a read, so they win over its "@" lines.
    void applyTo(Document& document) const {
        if (title) document.setTitle(Sjis(*title));
        if (artist) document.setArtist(Sjis(*artist));
    }
    static std::string Sjis(const std::string& utf8) {
        try {
            return Utf8ToSjis(utf8);
        } catch (const SjisError& e) {
            throw CommandError{e.what()};
        }
    }
};

void Emit(const std::vector<std::string>& lines, const std::optional<std::string>& out) {
    if (!out) {
        if (!WriteStdout(JoinLinesCrLf(lines))) throw CommandError{"標準出力に書けません"};
        return;
    }
    if (const std::error_code error = WriteTextFile(*out, lines))
        throw CommandError{FileWriteErrorMessage(*out, error)};
}

class CliCombineHost : public CombineHost {
  public:
    CliCombineHost(Document& document, std::vector<std::string> plainLines, bool yes)
        : document_(document), plainLines_(std::move(plainLines)), yes_(yes) {}

    void offerPaste(const ExpansionOptions& options) override {
        PasteWithExpansion(document_, plainLines_, options);
    }
    bool acceptMismatch(int index) override {
        if (yes_) return true;
        PrintMessage(std::string(kCombineMismatchQuestion) + " (" + std::to_string(index + 1) +
                     "行目)");
        return false;
    }
    void showError(const std::string& message) override { PrintMessage(message); }

  private:
    Document& document_;
    std::vector<std::string> plainLines_;
    bool yes_;
};

}  // namespace

int RunExpand(const std::vector<std::string>& args) {
    return Guarded(kExpandUsage, [&] {
        ExpansionFlags flags;
        bool useSettings = false;
        InputFlags input;
        ArgParser parser;
        input.addTo(parser);
        flags.addTo(parser, true);
        parser.flag("--settings", useSettings);
        const auto positional = parser.parse(args, 0, 1);
        AppSettings settings = StartingSettings(useSettings);
        flags.applyTo(settings);
        const std::string text = ReadInput(positional, input);
        Emit(ExpandLyrics(CutLines(text), ExpansionOptionsFrom(settings)), std::nullopt);
    });
}

int RunLrc(const std::vector<std::string>& args) {
    return Guarded(kLrcUsage, [&] {
        TextFlags text;
        bool noImport = false, useSettings = false;
        InputFlags input;
        ArgParser parser;
        input.addTo(parser);
        text.addTo(parser);
        parser.flag("--no-info-import", noImport).flag("--settings", useSettings);
        const auto positional = parser.parse(args, 1, 1);
        AppSettings settings = StartingSettings(useSettings);
        text.applyTo(settings);
        if (noImport) settings.importInfoLines = false;
        Document document;
        ReadLyricsFile(document, positional[0], settings, input);
        text.applyTo(document);
        Emit(BuildCompletedText(document, CompletedTextOptionsFrom(settings)), text.out);
    });
}

int RunPaste(const std::vector<std::string>& args) {
    return Guarded(kPasteUsage, [&] {
        ExpansionFlags expansion;
        TextFlags text;
        bool useSettings = false;
        InputFlags input;
        ArgParser parser;
        input.addTo(parser);
        expansion.addTo(parser, true);
        text.addTo(parser);
        parser.flag("--settings", useSettings);
        const auto positional = parser.parse(args, 0, 1);
        AppSettings settings = StartingSettings(useSettings);
        expansion.applyTo(settings);
        text.applyTo(settings);
        Document document;
        PasteWithExpansion(document, CutLines(ReadInput(positional, input)),
                           ExpansionOptionsFrom(settings));
        text.applyTo(document);
        Emit(BuildCompletedText(document, CompletedTextOptionsFrom(settings)), text.out);
    });
}

namespace {

int RunObtSave(const std::vector<std::string>& args) {
    return Guarded(kObtUsage, [&] {
        ExpansionFlags expansion;
        bool noImport = false, useSettings = false;
        InputFlags input;
        ArgParser parser;
        input.addTo(parser);
        expansion.addTo(parser, false);
        parser.flag("--no-info-import", noImport).flag("--settings", useSettings);
        const auto positional = parser.parse(args, 2, 2);
        AppSettings settings = StartingSettings(useSettings);
        expansion.applyTo(settings);
        if (noImport) settings.importInfoLines = false;
        // The lyrics would be replaced by their own tag information.
        RefuseOutputOverInput(positional[0], positional[1]);
        Document document;
        ReadLyricsFile(document, positional[0], settings, input);
        if (const std::error_code error =
                SaveTagInfoFile(positional[1], document, ExpansionOptionsFrom(settings)))
            throw CommandError{FileWriteErrorMessage(positional[1], error)};
    });
}

int RunObtCombine(const std::vector<std::string>& args) {
    int status = kExitOk;
    const int guarded = Guarded(kObtUsage, [&] {
        bool yes = false, noImport = false, useSettings = false;
        InputFlags input;
        ArgParser parser;
        input.addTo(parser);
        parser.flag("--yes", yes)
            .flag("--no-info-import", noImport)
            .flag("--settings", useSettings);
        const auto positional = parser.parse(args, 2, 2);
        AppSettings settings = StartingSettings(useSettings);
        if (noImport) settings.importInfoLines = false;
        std::error_code error;
        const auto info = ReadTagInfoFile(positional[0], error);
        if (!info) throw CommandError{FileReadErrorMessage(positional[0], error)};
        Document document;
        CliCombineHost host(document, CutLines(ReadInput({positional[1]}, input)), yes);
        if (CombineTagInfo(document, *info, ExpansionOptionsFrom(settings), host) !=
            CombineOutcome::Combined)
            status = kExitError;
        Emit(BuildCompletedText(document, CompletedTextOptionsFrom(settings)), std::nullopt);
    });
    return guarded != kExitOk ? guarded : status;
}

}  // namespace

int RunObt(const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == "save") return RunObtSave({args.begin() + 1, args.end()});
    if (!args.empty() && args[0] == "combine") return RunObtCombine({args.begin() + 1, args.end()});
    PrintMessage(args.empty() ? "obt needs save or combine" : "unknown obt command: " + args[0]);
    PrintUsage(kObtUsage, stderr);
    return kExitUsage;
}

}  // namespace obrin::cli
