#include "text/standard_lrc.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "base/sjis_codec.h"
#include "text/enhanced_lrc.h"
#include "text/sjis_text.h"
#include "text/time_tag.h"

namespace obrin {
namespace {

constexpr std::string_view kOffset = "@Offset=";
constexpr std::string_view kTaggingBy = "@TaggingBy=";
constexpr std::string_view kFullWidthClose = "\x81\x6E";  // "］"
// WriteStandardLrc hands on pieces of about this size.
constexpr std::size_t kWritePieceBytes = 64 * 1024;

// Every reader ends a [ti:] tag at its first "]"; a full-width "］" in its
// place keeps the rest of the title.
std::string HeaderValue(std::string_view sjis) {
    std::string value;
    value.reserve(sjis.size());
    for (std::size_t pos = 0; pos < sjis.size();) {
        const std::size_t len = SjisCharLength(sjis, pos);
        if (len == 1 && sjis[pos] == ']') {
            value += kFullWidthClose;
        } else {
            value.append(sjis.substr(pos, len));
        }
        pos += len;
    }
    return value;
}

}  // namespace

std::int32_t DocumentOffsetMs(const Document& document) {
    std::int32_t offset = 0;
    for (const auto* lines : {&document.headerLines(), &document.infoLines()}) {
        for (const auto& line : *lines) {
            if (StartsWith(line, kOffset))
                offset =
                    ParseDecimalInteger(std::string_view(line).substr(kOffset.size())).value_or(0);
        }
    }
    return offset;
}

namespace {

// Calls visit(index, time) for each line in list order with the time
// PlayerTimes gives it, without a list of them all.
template <typename Visit>
void ForEachPlayerTime(const Document& document, Visit visit) {
    const std::int64_t offset = DocumentOffsetMs(document);
    const std::vector<LyricLine>& lines = document.lyrics.lines();
    // ParseTimeTag reads TimeTexts of any number of minute digits.
    const auto mark = [](const LyricLine& line) { return ParseTimeTag(line.timeText); };
    // A title line or words sung at once stand at 0 ahead of the first later
    // line; other players drop a line without a time.
    bool opening = std::any_of(lines.begin(), lines.end(),
                               [&mark](const LyricLine& line) { return mark(line) > 0; });
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::int32_t ms = mark(lines[i]);
        if (ms > 0) {
            opening = false;
            visit(i, std::optional<std::int32_t>(static_cast<std::int32_t>(std::clamp<std::int64_t>(
                         ms + offset, 0, std::numeric_limits<std::int32_t>::max()))));
        } else if (ms == 0 && opening) {
            visit(i, std::optional<std::int32_t>(0));
        } else {
            visit(i, std::optional<std::int32_t>());
        }
    }
}

}  // namespace

std::vector<std::optional<std::int32_t>> PlayerTimes(const Document& document) {
    std::vector<std::optional<std::int32_t>> times;
    times.reserve(static_cast<std::size_t>(document.lyrics.count()));
    ForEachPlayerTime(document, [&times](std::size_t, std::optional<std::int32_t> time) {
        times.push_back(time);
    });
    return times;
}

std::vector<SyncedLine> SyncedLines(const Document& document) {
    const auto times = PlayerTimes(document);
    std::vector<SyncedLine> lines;
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (times[i])
            lines.push_back({*times[i], document.lyrics.line(static_cast<int>(i)).lyricText});
    }
    return lines;
}

std::string StandardTimeTag(std::int32_t ms, bool milliseconds) {
    ms = std::max(ms, 0);
    char buffer[32];
    if (milliseconds) {
        std::snprintf(buffer, sizeof buffer, "[%02d:%02d.%03d]", ms / 60000, ms / 1000 % 60,
                      ms % 1000);
    } else {
        std::snprintf(buffer, sizeof buffer, "[%02d:%02d.%02d]", ms / 60000, ms / 1000 % 60,
                      ms % 1000 / 10);
    }
    return buffer;
}

std::string LrcAuthor(const Document& document, bool taggingBy, const std::string& author) {
    for (const auto& line : document.infoLines()) {
        if (StartsWith(line, kTaggingBy) && line.size() > kTaggingBy.size())
            return line.substr(kTaggingBy.size());
    }
    return taggingBy && !document.loadedFromFile() ? author : std::string();
}

void WriteStandardLrc(const Document& document, const StandardLrcOptions& options,
                      const std::string& by, const std::function<void(std::string_view)>& write) {
    const std::string_view end = options.crlf ? "\r\n" : "\n";
    std::string sjis;
    sjis.reserve(kWritePieceBytes + kWritePieceBytes / 4);
    const auto flush = [&] {
        if (sjis.empty()) return;
        write(options.shiftJis ? sjis : SjisToUtf8(sjis));
        sjis.clear();
    };
    const auto addLine = [&](std::string_view tag, std::string_view text) {
        sjis += tag;
        sjis += text;
        sjis += end;
        if (sjis.size() >= kWritePieceBytes) flush();
    };
    if (!document.title().empty()) addLine("[ti:" + HeaderValue(document.title()) + "]", {});
    if (!document.artist().empty()) addLine("[ar:" + HeaderValue(document.artist()) + "]", {});
    if (!by.empty()) addLine("[by:" + HeaderValue(by) + "]", {});
    const std::int32_t offset = DocumentOffsetMs(document);
    ForEachPlayerTime(document, [&](std::size_t i, std::optional<std::int32_t> time) {
        const LyricLine& line = document.lyrics.lines()[i];
        if (time && options.words && HasUnitTimes(line.units)) {
            addLine(StandardTimeTag(*time, options.milliseconds),
                    WordTaggedText(line.units, offset, options.milliseconds));
        } else if (time) {
            addLine(StandardTimeTag(*time, options.milliseconds), line.lyricText);
        } else if (options.keepUntimed) {
            addLine({}, line.lyricText);
        }
    });
    flush();
}

std::string FormatStandardLrc(const Document& document, const StandardLrcOptions& options,
                              const std::string& by) {
    std::string file;
    WriteStandardLrc(document, options, by, [&file](std::string_view piece) { file += piece; });
    return file;
}

}  // namespace obrin
