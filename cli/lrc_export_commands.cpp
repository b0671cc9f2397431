// std-lrc, tag and ass: the lyrics as today's players read them, in a standard
// LRC file, in the song's own tags or in an ASS karaoke script.
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "cli_args.h"
#include "cli_command.h"
#include "export/ass_karaoke.h"
#include "obrin_files/file_replacement.h"
#include "shell/app_settings.h"
#include "text/song_lyrics_tags.h"
#include "text/standard_lrc.h"
#include "text/text_messages.h"
#include "text_input_support.h"

namespace obrin::cli {

const std::string_view kStdLrcUsage =
    "usage: obrin-cli std-lrc [-o OUT] [--milliseconds] [--sjis] [--crlf] [--keep-untimed]\n"
    "                         [--words] [--encoding E] [--replace] [--settings] IN\n"
    "Reads the lyrics file IN as lrc does (standard LRC accepted) and writes standard\n"
    "LRC: [ti:], [ar:], [by:] where set, then one [mm:ss.xx] line per timed line with\n"
    "the file's offset applied, UTF-8 without BOM, LF line ends.\n"
    "  -o OUT          write to OUT instead of standard output\n"
    "  --milliseconds  [mm:ss.xxx] times\n"
    "  --sjis          Shift-JIS instead of UTF-8\n"
    "  --crlf          CR LF line ends\n"
    "  --keep-untimed  keep untimed lines, as lines without a time\n"
    "  --words         enhanced-LRC word tags <mm:ss.xx> on lines with unit times\n"
    "  --encoding E    the encoding of IN: auto (default), shift-jis, utf-8, utf-16, euc-jp\n"
    "  --replace       write \"・\" for characters Shift-JIS cannot hold\n";

const std::string_view kTagUsage =
    "usage: obrin-cli tag [--no-sylt] [--syllables] [--encoding E] [--replace] [--settings]\n"
    "                     SONG LYRICS\n"
    "       obrin-cli tag --read SONG\n"
    "Writes the lyrics of LYRICS (read as std-lrc reads it) into SONG's own tags:\n"
    "MP3 USLT and SYLT, FLAC/Ogg/Opus LYRICS, M4A ©lyr. SONG changes only if the\n"
    "whole write succeeds. --read prints the lyrics found in SONG's tags (UTF-8).\n"
    "  --no-sylt    MP3: no SYLT frame with the times\n"
    "  --syllables  a SYLT entry per timing unit, and word tags in the text\n";

const std::string_view kAssUsage =
    "usage: obrin-cli ass [-o OUT] [--lead-in SECONDS] [--encoding E] [--replace] [--settings] IN\n"
    "Reads the lyrics file IN as lrc does and writes an ASS karaoke script: one Dialogue\n"
    "per timed line, a {\\k} lead-in and then {\\kf N} per timing unit (centiseconds).\n"
    "  -o OUT             write to OUT instead of standard output\n"
    "  --lead-in SECONDS  how long before its line an event shows (default 1.00)\n";

namespace {

// "1", "0.5", "1.25": seconds to centiseconds; anything else is refused.
int LeadInCs(const std::string& text) {
    const std::size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
    const auto digits = [](const std::string& part) {
        return part.find_first_not_of("0123456789") == std::string::npos;
    };
    if (whole.empty() || whole.size() > 4 || !digits(whole) || fraction.size() > 2 ||
        !digits(fraction) || (dot != std::string::npos && fraction.empty()))
        throw UsageError("--lead-in takes seconds such as 1.00");
    return std::stoi(whole) * 100 + std::stoi((fraction + "00").substr(0, 2));
}

std::string Author(const Document& document, const AppSettings& settings) {
    return LrcAuthor(document, settings.addTaggingBy, settings.author);
}

int ReadTags(const std::string& song) {
    const SongLyricsRead read = ReadSongLyrics(song);
    if (read.status == SongLyricsStatus::Failed) throw CommandError{read.message};
    if (read.status == SongLyricsStatus::None)
        throw CommandError{std::string(kNoLyricsTagMessage) + ": " + song};
    std::string text = read.text;
    if (!text.ends_with('\n')) text += '\n';
    if (!WriteStdout(text)) throw CommandError{"標準出力に書けません"};
    return kExitOk;
}

}  // namespace

int RunStdLrc(const std::vector<std::string>& args) {
    return Guarded(kStdLrcUsage, [&] {
        std::optional<std::string> out;
        StandardLrcOptions options;
        bool useSettings = false;
        InputFlags input;
        ArgParser parser;
        input.addTo(parser);
        parser.option("-o", out)
            .flag("--milliseconds", options.milliseconds)
            .flag("--sjis", options.shiftJis)
            .flag("--crlf", options.crlf)
            .flag("--keep-untimed", options.keepUntimed)
            .flag("--words", options.words)
            .flag("--settings", useSettings);
        const auto positional = parser.parse(args, 1, 1);
        if (out) RefuseOutputOverInput(positional[0], *out);
        const AppSettings settings = StartingSettings(useSettings);
        Document document;
        ReadLyricsFile(document, positional[0], settings, input, LyricsUse::TimedLinesOnly);
        const std::string by = Author(document, settings);
        // The file goes out in pieces as it is made: beside a document of a
        // great many short lines, a whole copy of it would double the memory.
        if (!out) {
            WriteStandardLrc(document, options, by, [](std::string_view piece) {
                if (!WriteStdout(piece)) throw CommandError{"標準出力に書けません"};
            });
            return;
        }
        FileReplacement file;
        const auto check = [&out](std::error_code error) {
            if (error) throw CommandError{FileWriteErrorMessage(*out, error)};
        };
        check(file.begin(*out));
        WriteStandardLrc(document, options, by,
                         [&](std::string_view piece) { check(file.write(piece)); });
        check(file.commit());
    });
}

int RunTag(const std::vector<std::string>& args) {
    return Guarded(kTagUsage, [&] {
        bool read = false, noSylt = false, syllables = false, useSettings = false;
        InputFlags input;
        ArgParser parser;
        input.addTo(parser);
        parser.flag("--read", read)
            .flag("--no-sylt", noSylt)
            .flag("--syllables", syllables)
            .flag("--settings", useSettings);
        const auto positional = parser.parse(args, 1, 2);
        if (read) {
            if (positional.size() != 1) throw UsageError("--read takes SONG alone");
            ReadTags(positional[0]);
            return;
        }
        if (positional.size() != 2) throw UsageError("missing argument");
        RefuseOutputOverInput(positional[1], positional[0]);
        const AppSettings settings = StartingSettings(useSettings);
        Document document;
        ReadLyricsFile(document, positional[1], settings, input, LyricsUse::TimedLinesOnly);
        const SongTagResult result = WriteSongLyrics(
            positional[0], SongLyricsFrom(document, Author(document, settings), syllables),
            !noSylt);
        if (!result) throw CommandError{result.message};
    });
}

int RunAss(const std::vector<std::string>& args) {
    return Guarded(kAssUsage, [&] {
        std::optional<std::string> out, leadIn;
        bool useSettings = false;
        InputFlags input;
        ArgParser parser;
        input.addTo(parser);
        parser.option("-o", out).option("--lead-in", leadIn).flag("--settings", useSettings);
        const auto positional = parser.parse(args, 1, 1);
        AssOptions options;
        if (leadIn) options.leadInCs = LeadInCs(*leadIn);
        if (out) RefuseOutputOverInput(positional[0], *out);
        const AppSettings settings = StartingSettings(useSettings);
        Document document;
        ReadLyricsFile(document, positional[0], settings, input);
        const std::string bytes = FormatAssKaraoke(document, options);
        if (!out) {
            if (!WriteStdout(bytes)) throw CommandError{"標準出力に書けません"};
        } else if (const std::error_code error = WriteFileAtomically(*out, bytes)) {
            throw CommandError{FileWriteErrorMessage(*out, error)};
        }
    });
}

}  // namespace obrin::cli
