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

std::vector<std::optional<std::int32_t>> PlayerTimes(const Document& document) {
    const std::int64_t offset = DocumentOffsetMs(document);
    std::vector<std::int32_t> marks;
    marks.reserve(static_cast<std::size_t>(document.lyrics.count()));
    // ParseTimeTag reads TimeTexts of any number of minute digits.
    for (int i = 0; i < document.lyrics.count(); ++i)
        marks.push_back(ParseTimeTag(document.lyrics.line(i).timeText));
    // A title line or words sung at once stand at 0 ahead of the first later
    // line; other players drop a line without a time.
    bool opening = std::any_of(marks.begin(), marks.end(), [](std::int32_t ms) { return ms > 0; });
    std::vector<std::optional<std::int32_t>> times;
    times.reserve(marks.size());
    for (const std::int32_t ms : marks) {
        if (ms > 0) {
            opening = false;
            times.emplace_back(static_cast<std::int32_t>(std::clamp<std::int64_t>(
                ms + offset, 0, std::numeric_limits<std::int32_t>::max())));
        } else if (ms == 0 && opening) {
            times.emplace_back(0);
        } else {
            times.emplace_back();
        }
    }
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

std::string FormatStandardLrc(const Document& document, const StandardLrcOptions& options,
                              const std::string& by) {
    const std::string_view end = options.crlf ? "\r\n" : "\n";
    std::string sjis;
    const auto addLine = [&](std::string_view line) {
        sjis += line;
        sjis += end;
    };
    if (!document.title().empty()) addLine("[ti:" + HeaderValue(document.title()) + "]");
    if (!document.artist().empty()) addLine("[ar:" + HeaderValue(document.artist()) + "]");
    if (!by.empty()) addLine("[by:" + HeaderValue(by) + "]");
    const auto times = PlayerTimes(document);
    const std::int32_t offset = DocumentOffsetMs(document);
    for (std::size_t i = 0; i < times.size(); ++i) {
        const LyricLine& line = document.lyrics.line(static_cast<int>(i));
        const std::string& text = line.lyricText;
        if (times[i] && options.words && HasUnitTimes(line.units)) {
            addLine(StandardTimeTag(*times[i], options.milliseconds) +
                    WordTaggedText(line.units, offset, options.milliseconds));
        } else if (times[i]) {
            addLine(StandardTimeTag(*times[i], options.milliseconds) + text);
        } else if (options.keepUntimed) {
            addLine(text);
        }
    }
    return options.shiftJis ? sjis : SjisToUtf8(sjis);
}

}  // namespace obrin
