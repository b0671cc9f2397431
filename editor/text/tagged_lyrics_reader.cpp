#include "text/tagged_lyrics_reader.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>
#include <optional>
#include <set>
#include <unordered_map>

#include "base/time_text.h"
#include "text/enhanced_lrc.h"
#include "text/karaoke_text.h"
#include "text/sjis_text.h"
#include "text/text_input.h"
#include "text/text_lines.h"
#include "text/text_messages.h"
#include "text/time_tag.h"

namespace obrin {
namespace {

constexpr std::string_view kOffset = "@Offset=";
constexpr std::string_view kArtist = "@Artist=";
constexpr std::string_view kTitle = "@Title=";
constexpr const char* kNoLyricLinesMessage =
    "タイムタグの付いた歌詞の行がありません(文字コードが違うか、時刻のない歌詞です)";
// The conversion of an offset looks at no more than this many bytes.
constexpr std::size_t kOffsetTextLimit = 10000;
constexpr const char* kUnitsOutOfOrder = "文字ごとのタイムタグが時刻の順に並んでいません";
constexpr const char* kEndBeforeLastUnit = "行末のタイムタグが最後の文字の時刻より前です";
constexpr const char* kUnreadableInlineTag = "時刻として読めないタイムタグを除きました";
constexpr const char* kUnitAfterNextLine = "文字のタイムタグが次の行の時刻より後です";
constexpr const char* kRubyBaseMissing = "ルビの親文字が歌詞のどこにもありません";
constexpr const char* kRubyMoraeMismatch = "ルビの読みのタイムタグの数が読みの拍の数と合いません";
constexpr const char* kRubyUnreadableTag = "ルビの時刻として読めないタイムタグを除きました";
// A text read from a file is given back in pieces of about this size as its
// lines are read.
constexpr std::size_t kTextPieceBytes = 1 << 20;
// The message of a read lists this many warnings, then their number.
constexpr std::size_t kWarningsShown = 10;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

std::int64_t DigitsValue(std::string_view digits) {
    std::int64_t value = 0;
    for (const char c : digits) {
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int32_t>::max()) return -1;
    }
    return value;
}

// The form the editor writes: "mm:ss:cc", two digits each, more for minutes.
bool IsWrittenTimeText(std::string_view tag) {
    const std::size_t first = tag.find(':');
    if (first == std::string_view::npos || first < 2 || !AllDigits(tag.substr(0, first)))
        return false;
    const std::string_view rest = tag.substr(first + 1);
    return rest.size() == 5 && AllDigits(rest.substr(0, 2)) && rest[2] == ':' &&
           AllDigits(rest.substr(3));
}

// An LRC information tag such as "ti:Title": letters, then ":". Returns the
// key in lower case, or an empty string.
std::string IdTagKey(std::string_view tag) {
    const std::size_t colon = tag.find(':');
    if (colon == 0 || colon == std::string_view::npos) return {};
    std::string key;
    for (const char c : tag.substr(0, colon)) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return {};
        key += static_cast<char>(c | 0x20);
    }
    return key;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The time of one tag: the editor's rule first, then the standard forms.
std::int32_t TagTime(std::string_view tag) {
    const std::int32_t ms = ParseTimeTag(tag);
    return ms != -1 ? ms : ParseStandardTimeTag(tag);
}

struct Offsets {
    std::int32_t at = 0;   // "@Offset=": added to every time
    std::int32_t lrc = 0;  // "[offset:]": positive makes the lyrics sooner

    [[nodiscard]] std::int64_t total() const { return std::int64_t{at} - lrc; }
};

void Import(Document& document, std::vector<std::string>& infoLines, std::string_view line) {
    if (StartsWith(line, kArtist)) {
        document.setArtist(std::string(line.substr(kArtist.size())));
    } else if (StartsWith(line, kTitle)) {
        document.setTitle(std::string(line.substr(kTitle.size())));
    } else if (StartsWith(line, kOffset)) {
        // The shift is already in the times; a file written from this
        // document must not shift them again.
        infoLines.push_back(std::string(kOffset) + "0");
    } else if (StartsWith(line, "@")) {
        infoLines.emplace_back(line);
    }
}

void ImportIdTag(Document& document, std::vector<std::string>& infoLines, const std::string& key,
                 std::string_view value) {
    if (key == "ti") {
        document.setTitle(std::string(value));
    } else if (key == "ar") {
        document.setArtist(std::string(value));
    } else if (key == "al") {
        infoLines.push_back("@Album=" + std::string(value));
    } else if (key == "by") {
        infoLines.push_back("@TaggingBy=" + std::string(value));
    } else if (key == "length") {
        infoLines.push_back("@Length=" + std::string(value));
    }
}

std::int32_t ClampedTime(std::int32_t tagMs, std::int64_t offset) {
    const std::int64_t ms = std::int64_t{tagMs} + offset;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(ms, 0, std::numeric_limits<std::int32_t>::max()));
}

// Removes enhanced-LRC word times "<mm:ss.xx>"; other angle brackets stay.
std::string StripWordTimes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        if (text[pos] == '<') {
            const std::size_t close = text.find('>', pos + 1);
            if (close != std::string_view::npos &&
                TagTime(text.substr(pos + 1, close - pos - 1)) >= 0) {
                pos = close + 1;
                continue;
            }
        }
        // "<" and ">" are never the second byte of a two-byte character.
        out += text[pos++];
    }
    return out;
}

void Warn(LyricsReadReport& report, std::size_t fileLine, const char* what) {
    report.warnings.push_back(std::to_string(fileLine) + "行目: " + what);
}

// Which readings' bases occur in some text, found in one pass over the texts.
std::vector<bool> BasesPresent(const RubyTable& ruby, const std::vector<LyricLine>& lines) {
    std::unordered_map<std::string_view, std::vector<std::size_t>> byBase;
    std::set<std::size_t> lengths;
    for (std::size_t r = 0; r < ruby.size(); ++r) {
        byBase[ruby[r].base].push_back(r);
        lengths.insert(ruby[r].base.size());
    }
    std::vector<bool> present(ruby.size(), false);
    for (const LyricLine& line : lines) {
        const std::string_view text = line.lyricText;
        for (std::size_t pos = 0; pos < text.size(); pos += SjisCharLength(text, pos)) {
            for (const std::size_t length : lengths) {
                if (length > text.size() - pos) break;
                const auto found = byBase.find(text.substr(pos, length));
                if (found == byBase.end()) continue;
                for (const std::size_t r : found->second) present[r] = true;
                found->second.clear();
            }
        }
    }
    return present;
}

// What the whole text says before its lines are read.
struct TextSurvey {
    Offsets offsets;
    // Standard LRC writes its times with a decimal fraction ("[00:12.34]");
    // the editor's own files never do.
    bool standard = false;
    // Lines with a tag: room for the lyric lines, so that the list is not
    // grown, and copied, line by line.
    std::size_t taggedLines = 0;
    // Some line may hold several leading time tags, and the lines then need
    // sorting by their exact times; otherwise no list of times is kept.
    bool severalTimes = false;
};

TextSurvey SurveyText(const TextPieces& pieces) {
    TextSurvey survey;
    for (std::size_t p = 0; p < pieces.count(); ++p) {
        for (LineCursor lines(pieces.piece(p)); const auto line = lines.next();) {
            if (StartsWith(*line, kOffset)) {
                survey.offsets.at =
                    ParseDecimalInteger(line->substr(kOffset.size(), kOffsetTextLimit)).value_or(0);
                continue;
            }
            const std::size_t close = TaggedLineClose(*line);
            if (close == std::string_view::npos) continue;
            ++survey.taggedLines;
            const std::string_view tag = line->substr(1, close - 1);
            if (IdTagKey(tag) == "offset")
                survey.offsets.lrc =
                    ParseDecimalInteger(TrimBlanks(tag.substr(tag.find(':') + 1))).value_or(0);
            const bool written = IsWrittenTimeText(tag);
            if (!survey.standard && tag.find('.') != std::string_view::npos && !written &&
                ParseStandardTimeTag(tag) >= 0)
                survey.standard = true;
            if (!written && line->substr(close + 1).starts_with('[')) survey.severalTimes = true;
        }
    }
    return survey;
}

// A line read with timing units, for the steps that need the whole text
// first (the readings, the next line's time).
struct UnitsLine {
    std::size_t index;
    std::size_t fileLine;
};

// Puts the lines in time order, lines at the same time in the order read,
// and follows the lines with units to their new places.
void SortByTime(std::vector<LyricLine>& lines, std::vector<std::int32_t>& times,
                std::vector<UnitsLine>& unitsLines) {
    std::vector<std::size_t> order(lines.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&times](std::size_t a, std::size_t b) { return times[a] < times[b]; });
    std::vector<LyricLine> sortedLines;
    std::vector<std::size_t> place(lines.size());
    sortedLines.reserve(lines.size());
    for (const std::size_t i : order) {
        place[i] = sortedLines.size();
        sortedLines.push_back(std::move(lines[i]));
    }
    lines = std::move(sortedLines);
    for (UnitsLine& line : unitsLines) line.index = place[line.index];
}

// A line's time in centiseconds, as its TimeText holds it.
int LineTime(const LyricLine& line) {
    return ParseTimeTag(line.timeText) / 10;
}

}  // namespace

std::int32_t ParseStandardTimeTag(std::string_view tag) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t colon = tag.find(':', start);
        fields.push_back(tag.substr(start, colon - start));
        if (colon == std::string_view::npos) break;
        start = colon + 1;
    }
    if (fields.size() < 2 || fields.size() > 3) return -1;
    std::string_view seconds = fields.back();
    std::int64_t fraction = 0;
    if (const std::size_t dot = seconds.find('.'); dot != std::string_view::npos) {
        const std::string_view digits = seconds.substr(dot + 1);
        if (!AllDigits(digits) || digits.size() > 3) return -1;
        fraction = DigitsValue(digits) * (digits.size() == 1 ? 100 : digits.size() == 2 ? 10 : 1);
        seconds = seconds.substr(0, dot);
    }
    std::int64_t ms = 0;
    for (std::size_t i = 0; i + 1 < fields.size(); ++i) {
        if (!AllDigits(fields[i])) return -1;
        ms = ms * 60 + DigitsValue(fields[i]);
        if (ms < 0 || ms > std::numeric_limits<std::int32_t>::max()) return -1;
    }
    if (!AllDigits(seconds)) return -1;
    const std::int64_t s = DigitsValue(seconds);
    if (s < 0) return -1;
    ms = (ms * 60 + s) * 1000 + fraction;
    if (ms > std::numeric_limits<std::int32_t>::max()) return -1;
    return static_cast<std::int32_t>(ms);
}

std::string UnreadableTagsMessage(const LyricsReadReport& report) {
    return "タイムタグとして読めない行が" + std::to_string(report.unreadableTags) +
           "行あります(最初は" + std::to_string(report.firstUnreadableLine) + "行目)";
}

std::string ReadReportMessage(const LyricsReadReport& report) {
    if (report.noLyricLines) return kNoLyricLinesMessage;
    std::string message = report.unreadableTags > 0 ? UnreadableTagsMessage(report) : std::string();
    for (std::size_t i = 0; i < report.warnings.size() && i < kWarningsShown; ++i)
        message += (message.empty() ? "" : "\n") + report.warnings[i];
    if (report.warnings.size() > kWarningsShown)
        message += "\nほか" + std::to_string(report.warnings.size() - kWarningsShown) + "件";
    return message;
}

std::size_t TaggedLineClose(std::string_view line) {
    if (!StartsWith(line, "[")) return std::string_view::npos;
    return FindSjis(line, "]");
}

std::string StripBracketedParts(std::string_view rest) {
    std::string text;
    text.reserve(rest.size());
    bool skipping = false;
    for (std::size_t pos = 0; pos < rest.size();) {
        const std::size_t len = SjisCharLength(rest, pos);
        if (len == 1 && rest[pos] == '[') {
            skipping = true;
        } else if (len == 1 && rest[pos] == ']') {
            skipping = false;
        } else if (!skipping) {
            text.append(rest.substr(pos, len));
        }
        pos += len;
    }
    return text;
}

namespace {

// The reading itself. Each piece of the text is given back once its lines
// are read, and besides the lines only what a few of them need is kept (the
// times for a sort, the places of the lines with units), so that a large
// text of short lines costs little more than the lines it becomes.
LyricsReadReport ReadPieces(Document& document, TextPieces& pieces, const ReaderOptions& options) {
    std::vector<std::string> headerLines;
    std::vector<std::string> infoLines;

    const TextSurvey survey = SurveyText(pieces);
    const std::int64_t offset = survey.offsets.total();
    // In standard LRC a bracket after the times is text ("[Chorus]"); the
    // editor's own files leave out every bracketed part.
    const bool standard = survey.standard;
    LyricsReadReport report;
    std::vector<LyricLine> lyricLines;
    // The exact times, for the sort alone: a TimeText holds centiseconds.
    std::vector<std::int32_t> times;
    std::vector<UnitsLine> unitsLines;
    lyricLines.reserve(survey.taggedLines);
    if (survey.severalTimes) times.reserve(survey.taggedLines);
    const auto addLine = [&](std::int32_t ms, std::string text, LineUnits units, std::size_t n) {
        if (!units.empty()) unitsLines.push_back({lyricLines.size(), n + 1});
        lyricLines.push_back(LyricLine{.lyricText = std::move(text),
                                       .timeText = FormatTimeText(ms),
                                       .units = std::move(units)});
        if (survey.severalTimes) times.push_back(ms);
    };
    RubyTable ruby;
    std::vector<std::size_t> rubyFileLines;
    bool severalTimes = false;
    bool head = true;
    std::size_t n = 0;
    for (std::size_t p = 0; p < pieces.count(); ++p) {
        for (LineCursor lines(pieces.piece(p)); const auto next = lines.next(); ++n) {
            const std::string_view view = *next;
            if (std::optional<RubyLineRead> read = ReadRubyLine(view, offset)) {
                if (read->moraeMismatch) Warn(report, n + 1, kRubyMoraeMismatch);
                if (read->unreadableTag) Warn(report, n + 1, kRubyUnreadableTag);
                ruby.push_back(std::move(read->reading));
                rubyFileLines.push_back(n + 1);
                continue;
            }
            const std::size_t close = TaggedLineClose(view);
            if (close != std::string_view::npos) {
                const std::string_view tag = view.substr(1, close - 1);
                if (const std::string key = IdTagKey(tag); !key.empty() && TagTime(tag) < 0) {
                    if (options.importInfo)
                        ImportIdTag(document, infoLines, key,
                                    TrimBlanks(tag.substr(key.size() + 1)));
                    continue;
                }
                head = false;
                // The leading run of time tags; the editor's own lines have one.
                std::vector<std::int32_t> lineTimes;
                std::size_t restStart = close + 1;
                if (!IsWrittenTimeText(tag)) {
                    for (std::size_t open = 0, end = close; end != std::string_view::npos;) {
                        const std::int32_t ms = TagTime(view.substr(open + 1, end - open - 1));
                        if (ms < 0) break;
                        lineTimes.push_back(ms);
                        restStart = end + 1;
                        open = restStart;
                        end = TaggedLineClose(view.substr(open));
                        if (end != std::string_view::npos) end += open;
                    }
                }
                if (lineTimes.size() <= 1) {
                    const std::int32_t ms =
                        lineTimes.empty() ? ParseTimeTag(tag) : lineTimes.front();
                    if (ms < 0 && report.unreadableTags++ == 0)
                        report.firstUnreadableLine = static_cast<int>(n + 1);
                    const std::int32_t lineMs = ClampedTime(ms, offset);
                    const std::string_view rest =
                        view.substr(lineTimes.empty() ? close + 1 : restStart);
                    // Enhanced LRC: the word tags give the units.
                    WordTagsRead words;
                    if (!lineTimes.empty() && standard)
                        words = ReadWordTags(rest, lineMs / 10, offset);
                    if (!words.units.empty()) {
                        if (words.outOfOrder) Warn(report, n + 1, kUnitsOutOfOrder);
                        if (words.endBeforeLastUnit) Warn(report, n + 1, kEndBeforeLastUnit);
                        // A line's time is its first unit's start: a line
                        // tag ahead of the first word would hold a time the
                        // time-tag form cannot write.
                        const int first = words.units.units.empty()
                                              ? kNoUnitTime
                                              : words.units.units.front().start;
                        addLine(first == kNoUnitTime ? lineMs : first * 10, std::move(words.text),
                                std::move(words.units), n);
                    } else {
                        InlineTagRead read = ReadInlineTags(rest, !lineTimes.empty() && standard,
                                                            lineMs / 10, offset);
                        if (read.outOfOrder) Warn(report, n + 1, kUnitsOutOfOrder);
                        if (read.endBeforeLastUnit) Warn(report, n + 1, kEndBeforeLastUnit);
                        if (read.unreadableTag) Warn(report, n + 1, kUnreadableInlineTag);
                        if (!lineTimes.empty()) {
                            for (TimingUnit& unit : read.units.units)
                                unit.text = StripWordTimes(unit.text);
                            read.text = read.units.units.empty() ? StripWordTimes(read.text)
                                                                 : JoinedText(read.units.units);
                        }
                        addLine(lineMs, std::move(read.text), std::move(read.units), n);
                    }
                } else {
                    const std::string_view rest = view.substr(restStart);
                    const std::string text =
                        StripWordTimes(standard ? std::string(rest) : StripBracketedParts(rest));
                    for (const std::int32_t ms : lineTimes)
                        addLine(ClampedTime(ms, offset), text, {}, n);
                    severalTimes = severalTimes || lineTimes.size() > 1;
                }
            } else if (head && (options.keepPlainHeaderLines || StartsWith(view, "@"))) {
                headerLines.emplace_back(view);
            }
            if (options.importInfo) Import(document, infoLines, view);
        }
        pieces.release(p);
    }
    if (severalTimes) SortByTime(lyricLines, times, unitsLines);
    std::vector<std::int32_t>().swap(times);
    const std::vector<bool> present = BasesPresent(ruby, lyricLines);
    for (std::size_t r = 0; r < ruby.size(); ++r)
        if (!present[r]) Warn(report, rubyFileLines[r], kRubyBaseMissing);
    const RubyIndex rubyIndex(ruby);
    for (const UnitsLine& unitsLine : unitsLines) {
        LyricLine& line = lyricLines[unitsLine.index];
        ApplyReadings(line.units, rubyIndex, LineTime(line));
        if (unitsLine.index + 1 == lyricLines.size()) continue;
        const int next = LineTime(lyricLines[unitsLine.index + 1]);
        if (std::any_of(line.units.units.begin(), line.units.units.end(),
                        [next](const TimingUnit& unit) { return unit.start > next; }))
            Warn(report, unitsLine.fileLine, kUnitAfterNextLine);
    }
    document.setHeaderLines(std::move(headerLines));
    document.setRuby(std::move(ruby));
    document.lyrics.assignLines(std::move(lyricLines));

    if (options.editedBy) infoLines.push_back("@EditedBy=" + options.author);
    document.setInfoLines(std::move(infoLines));
    document.setLoadedFromFile(true);
    std::stable_sort(
        report.warnings.begin(), report.warnings.end(),
        [](const std::string& a, const std::string& b) { return std::stoul(a) < std::stoul(b); });
    report.noLyricLines = document.lyrics.count() == 0;
    return report;
}

}  // namespace

LyricsReadReport ReadTaggedLyricsText(Document& document, std::string_view bytes,
                                      const ReaderOptions& options) {
    TextPieces pieces(bytes);
    return ReadPieces(document, pieces, options);
}

namespace {

// The outcome of a read of decoded text; `read` reads the text when there is
// one.
template <typename ReadText>
LyricsFileRead DecodedRead(Document& document, const TextRead& text, ReadText read) {
    LyricsFileRead result;
    switch (text.status) {
        case TextReadStatus::Read:
            result.report = read();
            return result;
        case TextReadStatus::Declined:
            result.status = LyricsReadStatus::Declined;
            return result;
        case TextReadStatus::Unreadable:
        case TextReadStatus::Rejected:
            break;
    }
    document.setHeaderLines({});
    document.setInfoLines({});
    document.setLoadedFromFile(true);
    result.status = LyricsReadStatus::Failed;
    result.message = kLyricsOpenFailedMessage;
    if (text.status == TextReadStatus::Rejected) result.message += "\n" + text.message;
    return result;
}

// A text that nobody else holds is given back piece by piece as it is read.
LyricsFileRead ReadOwnedText(Document& document, TextRead text, const ReaderOptions& options) {
    return DecodedRead(document, text, [&] {
        TextPieces pieces(std::move(text.sjis), kTextPieceBytes);
        return ReadPieces(document, pieces, options);
    });
}

}  // namespace

LyricsFileRead ReadDecodedLyrics(Document& document, const TextRead& text,
                                 const ReaderOptions& options) {
    return DecodedRead(document, text,
                       [&] { return ReadTaggedLyricsText(document, text.sjis, options); });
}

LyricsFileRead ReadTaggedLyrics(Document& document, const std::filesystem::path& path,
                                const ReaderOptions& options, const ReplacementConsent& consent) {
    return ReadOwnedText(document, ReadTextInput(path, options.encoding, consent), options);
}

LyricsFileRead ReadTaggedLyricsInput(Document& document, std::string_view bytes,
                                     const ReaderOptions& options,
                                     const ReplacementConsent& consent) {
    return ReadOwnedText(document, DecodeTextInput(bytes, options.encoding, consent), options);
}

}  // namespace obrin
