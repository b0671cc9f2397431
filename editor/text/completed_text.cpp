#include "text/completed_text.h"

#include "obrin_files/file_replacement.h"
#include "text/karaoke_text.h"
#include "text/sjis_text.h"
#include "text/text_lines.h"

namespace obrin {
namespace {

constexpr std::string_view kUntimedTag = "[00:00:00]";
constexpr std::string_view kTitleOpen = "\x8B\xC8\x96\xBC\x81\x75";    // 曲名「
constexpr std::string_view kArtistOpen = " \x89\xCC\x8E\xE8\x81\x75";  // space, 歌手「
constexpr std::string_view kClose = "\x81\x76";                        // 」
constexpr std::string_view kTimeRatio = "@TimeRatio=";

}  // namespace

std::vector<std::string> SongInfoLines(SongInfoMode mode, const std::string& title,
                                       const std::string& artist) {
    std::vector<std::string> lines;
    switch (mode) {
        case SongInfoMode::AtMark:
            if (!title.empty()) lines.push_back("@Title=" + title);
            if (!artist.empty()) lines.push_back("@Artist=" + artist);
            break;
        case SongInfoMode::First: {
            std::string line(kUntimedTag);
            if (!title.empty()) line.append(kTitleOpen).append(title).append(kClose);
            if (!artist.empty()) line.append(kArtistOpen).append(artist).append(kClose);
            lines.push_back(std::move(line));
            break;
        }
        case SongInfoMode::KeyValue:
            if (!title.empty()) lines.push_back("Title:" + title);
            if (!artist.empty()) lines.push_back("Artist:" + artist);
            break;
        case SongInfoMode::None:
            break;
    }
    return lines;
}

std::vector<std::string> BuildCompletedText(const Document& document,
                                            const CompletedTextOptions& options) {
    std::vector<std::string> lines =
        SongInfoLines(options.songInfo, document.title(), document.artist());
    lines.reserve(lines.size() + document.headerLines().size() + document.lyrics.count() +
                  document.infoLines().size() + 3);
    lines.insert(lines.end(), document.headerLines().begin(), document.headerLines().end());
    for (int i = 0; i < document.lyrics.count(); ++i) {
        const LyricLine& line = document.lyrics.line(i);
        lines.push_back(FormatTaggedLine(line));
    }
    lines.emplace_back();
    const std::vector<std::string> ruby = FormatRubyLines(document.ruby(), document.lyrics.lines());
    lines.insert(lines.end(), ruby.begin(), ruby.end());
    lines.insert(lines.end(), document.infoLines().begin(), document.infoLines().end());
    if (options.taggingBy && !document.loadedFromFile())
        lines.push_back("@TaggingBy=" + options.author);

    bool hasTimeRatio = false;
    for (const auto& line : lines) {
        if (StartsWith(line, kTimeRatio)) {
            hasTimeRatio = true;
            break;
        }
    }
    if (!hasTimeRatio) lines.push_back(std::string(kTimeRatio) + "1");
    return lines;
}

std::error_code WriteTextFile(const std::filesystem::path& path,
                              const std::vector<std::string>& lines) {
    return WriteFileAtomically(path, JoinLinesCrLf(lines));
}

}  // namespace obrin
