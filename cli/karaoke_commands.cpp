// karaoke and ruby: the timing units of each line, a first draft of their
// times, and readings for kanji.
#include <optional>
#include <string>

#include "base/time_text.h"
#include "cli_args.h"
#include "cli_command.h"
#include "document/karaoke_units.h"
#include "shell/text_options.h"
#include "text/completed_text.h"
#include "text/karaoke_text.h"
#include "text/ruby_suggestions.h"
#include "text/text_lines.h"
#include "text_input_support.h"

namespace obrin::cli {

const std::string_view kKaraokeUsage =
    "usage: obrin-cli karaoke split [--encoding E] [--replace] [--settings] IN\n"
    "       obrin-cli karaoke spread [-o OUT] [--encoding E] [--replace] [--settings] IN\n"
    "split:  prints each lyric line's timing units separated by \"|\", a unit's time\n"
    "        as [mm:ss:cc] before it where set, the line's end time after its last\n"
    "        unit; the further morae of a kanji's reading follow it in parentheses.\n"
    "spread: fills the unit times of each timed line that has none, in proportion\n"
    "        to the units' morae between the line's start and its end (or the next\n"
    "        line's start), and prints (or writes to OUT) the lyrics.\n";

const std::string_view kRubyUsage =
    "usage: obrin-cli ruby [--encoding E] [--replace] [--settings] IN\n"
    "Prints suggested ruby lines (@RubyN=base,reading, numbered after IN's own) for\n"
    "the kanji of IN that have no reading yet, from MeCab's dictionary; nothing\n"
    "when no dictionary is installed.\n";

namespace {

std::string Tag(int centis) {
    return "[" + FormatTimeText(centis * 10) + "]";
}

// One line of the split: "[t]あ|い|明日(あ)|(し)|(た)[end]".
std::string ShownUnits(const LyricLine& line, const RubyIndex& ruby) {
    const LineUnits units = UnitsOf(line, ruby);
    const int lineTime = TimeTextCentis(line.timeText);
    std::string shown;
    const RubyReading* reading = nullptr;
    std::size_t mora = 0;
    for (std::size_t i = 0; i < units.units.size(); ++i) {
        const TimingUnit& unit = units.units[i];
        if (i > 0) shown += '|';
        if (unit.start != kNoUnitTime && unit.start > 0) shown += Tag(unit.start);
        if (!unit.text.empty()) {
            shown += unit.text;
            reading = i + 1 < units.units.size() && units.units[i + 1].text.empty()
                          ? ruby.within(unit.text, lineTime)
                          : nullptr;
            mora = 0;
        }
        if (reading && mora < reading->morae.size())
            shown += "(" + reading->morae[mora++].text + ")";
    }
    if (units.end != kNoUnitTime) shown += Tag(units.end);
    return shown;
}

struct KaraokeInput {
    std::optional<std::string> out;
    bool useSettings = false;
    InputFlags input;

    std::string read(const std::vector<std::string>& args, Document& document, bool withOut,
                     AppSettings& settings) {
        ArgParser parser;
        input.addTo(parser);
        parser.flag("--settings", useSettings);
        if (withOut) parser.option("-o", out);
        const std::string path = parser.parse(args, 1, 1)[0];
        if (out) RefuseOutputOverInput(path, *out);
        settings = StartingSettings(useSettings);
        ReadLyricsFile(document, path, settings, input);
        return path;
    }
};

int RunSplit(const std::vector<std::string>& args) {
    return Guarded(kKaraokeUsage, [&] {
        Document document;
        AppSettings settings;
        KaraokeInput().read(args, document, false, settings);
        const RubyIndex ruby(document.ruby());
        std::vector<std::string> lines;
        for (const LyricLine& line : document.lyrics.lines())
            lines.push_back(ShownUnits(line, ruby));
        if (!WriteStdout(JoinLinesCrLf(lines))) throw CommandError{"標準出力に書けません"};
    });
}

int RunSpread(const std::vector<std::string>& args) {
    return Guarded(kKaraokeUsage, [&] {
        Document document;
        AppSettings settings;
        KaraokeInput input;
        input.read(args, document, true, settings);
        (void)SpreadUnitTimes(document);
        const std::vector<std::string> lines =
            BuildCompletedText(document, CompletedTextOptionsFrom(settings));
        if (!input.out) {
            if (!WriteStdout(JoinLinesCrLf(lines))) throw CommandError{"標準出力に書けません"};
        } else if (const std::error_code error = WriteTextFile(*input.out, lines)) {
            throw CommandError{FileWriteErrorMessage(*input.out, error)};
        }
    });
}

}  // namespace

int RunKaraoke(const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == "split") return RunSplit({args.begin() + 1, args.end()});
    if (!args.empty() && args[0] == "spread") return RunSpread({args.begin() + 1, args.end()});
    PrintMessage(args.empty() ? "karaoke needs split or spread"
                              : "unknown karaoke command: " + args[0]);
    PrintUsage(kKaraokeUsage, stderr);
    return kExitUsage;
}

int RunRuby(const std::vector<std::string>& args) {
    return Guarded(kRubyUsage, [&] {
        Document document;
        AppSettings settings;
        KaraokeInput().read(args, document, false, settings);
        const std::unique_ptr<RubySuggester> suggester = RubySuggester::open();
        if (!suggester) return;
        std::vector<std::string> texts;
        for (const LyricLine& line : document.lyrics.lines()) texts.push_back(line.lyricText);
        const RubyTable suggested = suggester->suggest(texts, document.ruby());
        std::vector<std::string> lines;
        RubyTable numbered = document.ruby();
        numbered.insert(numbered.end(), suggested.begin(), suggested.end());
        const std::vector<std::string> all = FormatRubyLines(numbered, {});
        lines.assign(all.end() - static_cast<std::ptrdiff_t>(suggested.size()), all.end());
        if (!WriteStdout(JoinLinesCrLf(lines))) throw CommandError{"標準出力に書けません"};
    });
}

}  // namespace obrin::cli
