#include "text/lyrics_expansion.h"

#include <array>
#include <string_view>

#include "text/lyric_trim.h"
#include "text/sjis_text.h"

namespace obrin {
namespace {

constexpr std::array<std::string_view, 3> kMarks = {kMarkKome, kMarkBlackStar, kMarkWhiteStar};

bool Contains(std::string_view line, std::string_view mark) {
    return FindSjis(line, mark) != std::string_view::npos;
}

// Captures the block of one mark and rewrites the lines that open and close
// it, so that the first occurrence of the passage stays in place as ordinary
// lines. A mark that occurs only once captures to the last line.
RepeatBlock CaptureBlock(std::vector<std::string>& lines, std::string_view mark) {
    RepeatBlock block;
    bool capturing = false;
    for (auto& line : lines) {
        const std::size_t pos = FindSjis(line, mark);
        if (pos == std::string_view::npos) {
            if (capturing) block.lines.push_back(line);
            continue;
        }
        if (!capturing) {
            line.erase(0, pos + mark.size());
            block.lines.push_back(line);
            capturing = true;
        } else {
            line.erase(pos);
            block.lines.push_back(line);
            break;
        }
    }
    return block;
}

}  // namespace

std::vector<std::string> ExpandLyrics(std::vector<std::string> lines,
                                      const ExpansionOptions& options) {
    std::array<RepeatBlock, kMarks.size()> blocks;
    if (options.star) {
        for (std::size_t m = 0; m < kMarks.size(); ++m) blocks[m] = CaptureBlock(lines, kMarks[m]);
    }

    std::vector<std::string> output;
    output.reserve(lines.size() + 1);
    bool previousEmpty = true;
    for (const auto& line : lines) {
        std::string s = TrimLyricLine(line);
        if (s.empty() && previousEmpty && options.nullLine) continue;
        // A line left out by the "@" rule still counts as the previous line.
        previousEmpty = s.empty();
        if (options.info && StartsWith(s, "@")) continue;
        if (!options.star) {
            output.push_back(std::move(s));
            continue;
        }
        bool hadMark = false;
        for (std::size_t m = 0; m < kMarks.size(); ++m) {
            if (!Contains(s, kMarks[m])) continue;
            hadMark = true;
            for (const auto& blockLine : blocks[m].lines)
                output.push_back(TrimLyricLine(blockLine));
        }
        if (!hadMark) output.push_back(std::move(s));
    }

    if (options.lastLine && !output.empty() && !output.back().empty()) output.emplace_back();
    return output;
}

std::vector<std::string> ExpandLyrics(Document& document, std::vector<std::string> lines,
                                      const ExpansionOptions& options) {
    // Expanded first: an expansion that runs out of memory leaves the
    // document as it was.
    auto expanded = ExpandLyrics(std::move(lines), options);
    document.setInfoLines({});
    return expanded;
}

void FillLyricList(LyricList& lyrics, const std::vector<std::string>& lines) {
    lyrics.assign(lines);
}

void PasteWithExpansion(Document& document, std::vector<std::string> lines,
                        const ExpansionOptions& options) {
    FillLyricList(document.lyrics, ExpandLyrics(document, std::move(lines), options));
    document.setLoadedFromFile(false);
}

}  // namespace obrin
