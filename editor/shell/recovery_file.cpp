#include "shell/recovery_file.h"

#include <charconv>
#include <map>

#include "base/sjis_codec.h"
#include "text/karaoke_text.h"
#include "text/text_lines.h"

namespace obrin {
namespace {

constexpr std::string_view kFirstLine = "obrin-recovery 1";
constexpr std::string_view kTypedTextEncoding = "typedTextEncoding";
constexpr std::string_view kTypedTextBytes = "typedTextBytes";
constexpr std::string_view kUtf8 = "UTF-8";

std::string Escape(std::string_view value) {
    std::string escaped;
    for (char c : value) {
        if (c == '%') {
            escaped += "%25";
        } else if (c == '\r') {
            escaped += "%0D";
        } else if (c == '\n') {
            escaped += "%0A";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string Unescape(std::string_view value) {
    std::string plain;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const std::string_view code = value.substr(i, 3);
        if (code == "%25" || code == "%0D" || code == "%0A") {
            plain += code == "%25" ? '%' : code == "%0D" ? '\r' : '\n';
            i += 2;
        } else {
            plain += value[i];
        }
    }
    return plain;
}

std::string IndexList(const std::vector<LyricLine>& lines, bool (*wanted)(const LyricLine&)) {
    std::string list;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!wanted(lines[i])) continue;
        if (!list.empty()) list += ',';
        list += std::to_string(i);
    }
    return list;
}

std::optional<int> ParseCount(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

// Indices "0,3,5", each below `limit`; std::nullopt for anything else.
std::optional<std::vector<int>> ParseIndexList(std::string_view text, int limit) {
    std::vector<int> indices;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::optional<int> index = ParseCount(text.substr(0, comma));
        if (!index || *index >= limit) return std::nullopt;
        indices.push_back(*index);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    return indices;
}

// "[" + time + "]" + text, as the completed text writes a lyric line; with
// `units`, a tag per unit.
std::optional<LyricLine> ParseLyricLine(const std::string& line, bool units) {
    const std::size_t close = line.find(']');
    if (line.empty() || line.front() != '[' || close == std::string::npos) return std::nullopt;
    LyricLine parsed{.lyricText = line.substr(close + 1), .timeText = line.substr(1, close - 1)};
    if (units) {
        InlineTagRead read =
            ReadInlineTags(parsed.lyricText, true, TimeTextCentis(parsed.timeText), 0);
        parsed.lyricText = std::move(read.text);
        parsed.units = std::move(read.units);
    }
    return parsed;
}

bool WrittenWithUnits(const LyricLine& line) {
    return line.units.timed() && JoinedText(line.units.units) == line.lyricText;
}

}  // namespace

std::string FormatRecoveryFile(const Document& document, const std::string& songPath,
                               const CompletedTextOptions& options,
                               const std::optional<std::string>& typedText) {
    std::vector<LyricLine> lines;
    for (int i = 0; i < document.lyrics.count(); ++i) lines.push_back(document.lyrics.line(i));
    const std::vector<std::string> songInfo =
        SongInfoLines(options.songInfo, document.title(), document.artist());

    std::vector<std::string> file{
        std::string(kFirstLine),
        "song=" + Escape(songPath),
        "title=" + Escape(document.title()),
        "artist=" + Escape(document.artist()),
        std::string("loadedFromFile=") + (document.loadedFromFile() ? "1" : "0"),
        "markOffset=" + Escape(document.markOffset().text()),
        std::string("listEditMode=") + (document.listEditMode() ? "1" : "0"),
        "songInfoLines=" + std::to_string(songInfo.size()),
        "headerLines=" + std::to_string(document.headerLines().size()),
        "lyricLines=" + std::to_string(lines.size()),
        "infoLines=" + std::to_string(document.infoLines().size()),
        "rubyLines=" + std::to_string(FormatRubyLines(document.ruby(), lines).size()),
        "unitLines=" + IndexList(lines, WrittenWithUnits),
        "checked=" + IndexList(lines, [](const LyricLine& l) { return l.checked(); }),
        "selected=" + IndexList(lines, [](const LyricLine& l) { return l.selected; }),
    };
    if (typedText) {
        file.push_back(std::string(kTypedTextEncoding) + "=" + std::string(kUtf8));
        file.push_back(std::string(kTypedTextBytes) + "=" + std::to_string(typedText->size()));
    }
    file.emplace_back();
    const std::vector<std::string> text = BuildCompletedText(document, options);
    file.insert(file.end(), text.begin(), text.end());
    if (!typedText) return JoinLinesCrLf(file);
    file.emplace_back();
    return JoinLinesCrLf(file) + *typedText;
}

std::optional<RecoveredWork> ParseRecoveryFile(std::string_view bytes) {
    std::vector<std::string> lines = CutLines(bytes);
    if (lines.empty() || lines.front() != kFirstLine) return std::nullopt;
    std::map<std::string, std::string, std::less<>> head;
    std::size_t at = 1;
    for (; at < lines.size() && !lines[at].empty(); ++at) {
        const std::size_t equals = lines[at].find('=');
        if (equals == std::string::npos) return std::nullopt;
        head[lines[at].substr(0, equals)] =
            Unescape(std::string_view(lines[at]).substr(equals + 1));
    }
    ++at;  // the empty line before the text
    const auto count = [&head](std::string_view key) { return ParseCount(head[std::string(key)]); };
    std::optional<std::string> typedText;
    if (head.contains(kTypedTextEncoding) || head.contains(kTypedTextBytes)) {
        const auto size = count(kTypedTextBytes);
        if (head[std::string(kTypedTextEncoding)] != kUtf8 || !size ||
            static_cast<std::size_t>(*size) > bytes.size())
            return std::nullopt;
        const std::string_view rest = bytes.substr(0, bytes.size() - *size);
        const std::string_view typed = bytes.substr(rest.size());
        if (!rest.ends_with("\r\n\r\n") || !IsValidUtf8(typed)) return std::nullopt;
        typedText = std::string(typed);
        lines = CutLines(rest);  // the document's part alone
    }
    const auto songInfo = count("songInfoLines");
    const auto header = count("headerLines");
    const auto lyrics = count("lyricLines");
    const auto info = count("infoLines");
    // Files of editors before ruby lines have none.
    const auto ruby = head.contains("rubyLines") ? count("rubyLines") : std::optional<int>(0);
    if (!songInfo || !header || !lyrics || !info || !ruby) return std::nullopt;
    const auto unitLines = ParseIndexList(head["unitLines"], *lyrics);
    if (!unitLines) return std::nullopt;
    std::vector<bool> withUnits(static_cast<std::size_t>(*lyrics), false);
    for (const int index : *unitLines) withUnits[static_cast<std::size_t>(index)] = true;
    // The text: song information, header lines, lyrics, one empty line, ruby
    // lines, info.
    const std::size_t needed =
        static_cast<std::size_t>(*songInfo) + *header + *lyrics + 1 + *ruby + *info;
    if (at > lines.size() || lines.size() - at < needed) return std::nullopt;

    RecoveredWork work;
    work.songPath = head["song"];
    work.title = head["title"];
    work.artist = head["artist"];
    work.loadedFromFile = head["loadedFromFile"] == "1";
    work.markOffset = head["markOffset"];
    work.listEditMode = head["listEditMode"] == "1";
    work.typedText = std::move(typedText);
    auto next = lines.begin() + static_cast<std::ptrdiff_t>(at + *songInfo);
    work.headerLines.assign(next, next + *header);
    next += *header;
    for (int i = 0; i < *lyrics; ++i, ++next) {
        std::optional<LyricLine> line =
            ParseLyricLine(*next, withUnits[static_cast<std::size_t>(i)]);
        if (!line) return std::nullopt;
        work.lines.push_back(std::move(*line));
    }
    ++next;  // the empty line after the lyrics
    for (int i = 0; i < *ruby; ++i, ++next) {
        std::optional<RubyLineRead> read = ReadRubyLine(*next, 0);
        if (!read) return std::nullopt;
        work.ruby.push_back(std::move(read->reading));
    }
    const RubyIndex rubyIndex(work.ruby);
    for (LyricLine& line : work.lines)
        if (!line.units.empty())
            ApplyReadings(line.units, rubyIndex, TimeTextCentis(line.timeText));
    work.infoLines.assign(next, next + *info);

    const auto checked = ParseIndexList(head["checked"], *lyrics);
    const auto selected = ParseIndexList(head["selected"], *lyrics);
    if (!checked || !selected) return std::nullopt;
    for (int index : *checked) work.lines[index].stateIndex = 0;
    for (int index : *selected) work.lines[index].selected = true;
    return work;
}

void RestoreDocument(Document& document, const RecoveredWork& work) {
    document.setTitle(work.title);
    document.setArtist(work.artist);
    document.setHeaderLines(work.headerLines);
    document.setInfoLines(work.infoLines);
    document.setLoadedFromFile(work.loadedFromFile);
    document.setRuby(work.ruby);
    if (!work.markOffset.empty()) document.setMarkOffset(work.markOffset);
    document.setListEditMode(work.listEditMode);
    document.lyrics.assignLines(work.lines);
    if (const int current = document.lyrics.currentLine(); current != LyricList::kNone)
        document.lyrics.makeVisible(current);
}

}  // namespace obrin
