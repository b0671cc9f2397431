#include "text/tagged_lyrics_reader.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "base/time_text.h"
#include "text/sjis_text.h"
#include "text/text_lines.h"
#include "text/time_tag.h"

namespace obrin {
namespace {

constexpr std::string_view kOffset = "@Offset=";
constexpr std::string_view kArtist = "@Artist=";
constexpr std::string_view kTitle = "@Title=";
// The conversion of an offset looks at no more than this many bytes.
constexpr std::size_t kOffsetTextLimit = 10000;

std::int32_t FileOffset(const std::vector<std::string>& lines) {
    std::int32_t offset = 0;
    for (const auto& line : lines) {
        if (!StartsWith(line, kOffset)) continue;
        offset =
            ParseDecimalInteger(std::string_view(line).substr(kOffset.size(), kOffsetTextLimit))
                .value_or(0);
    }
    return offset;
}

void Import(Document& document, const std::string& line) {
    if (StartsWith(line, kArtist)) {
        document.artist = line.substr(kArtist.size());
    } else if (StartsWith(line, kTitle)) {
        document.title = line.substr(kTitle.size());
    } else if (StartsWith(line, kOffset)) {
        // The shift is already in the times; a file written from this
        // document must not shift them again.
        document.infoLines.push_back(std::string(kOffset) + "0");
    } else if (StartsWith(line, "@")) {
        document.infoLines.push_back(line);
    }
}

std::int32_t ClampedTime(std::int32_t tagMs, std::int32_t offset) {
    const std::int64_t ms = std::int64_t{tagMs} + offset;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(ms, 0, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

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

void ReadTaggedLyricsText(Document& document, std::string_view bytes,
                          const ReaderOptions& options) {
    document.headerLines.clear();
    document.infoLines.clear();
    const std::vector<std::string> lines = CutLines(bytes);

    const std::int32_t offset = FileOffset(lines);
    std::vector<LyricLine> lyrics;
    bool head = true;
    for (const auto& line : lines) {
        const std::size_t close = TaggedLineClose(line);
        if (close != std::string_view::npos) {
            const std::string_view view(line);
            lyrics.push_back(LyricLine{.lyricText = StripBracketedParts(view.substr(close + 1)),
                                       .timeText = FormatTimeText(ClampedTime(
                                           ParseTimeTag(view.substr(1, close - 1)), offset))});
            head = false;
        } else if (head) {
            document.headerLines.push_back(line);
        }
        if (options.importInfo) Import(document, line);
    }
    document.lyrics.assignLines(std::move(lyrics));

    if (options.editedBy) document.infoLines.push_back("@EditedBy=" + options.author);
    document.loadedFromFile = true;
}

bool ReadTaggedLyrics(Document& document, const std::filesystem::path& path,
                      const ReaderOptions& options) {
    std::error_code error;
    const auto bytes = ReadFileBytes(path, error);
    if (!bytes) {
        document.headerLines.clear();
        document.infoLines.clear();
        document.loadedFromFile = true;
        return false;
    }
    ReadTaggedLyricsText(document, *bytes, options);
    return true;
}

}  // namespace obrin
