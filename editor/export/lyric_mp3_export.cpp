#include "export/lyric_mp3_export.h"

#include <algorithm>
#include <optional>

#include "base/conversion_error.h"
#include "base/shared_library.h"
#include "base/time_text.h"
#include "export/export_messages.h"
#include "export/mpeg_audio.h"
#include "obrin/tessary.h"

namespace obrin {

namespace {

// The tag keeps two minute digits, so a song's lines must start before 100
// minutes; the user needs to know which line is beyond that.
std::string LineTimeBeyondLimit(int index, const LyricLine& line) {
    return std::to_string(index + 1) + "行目の時刻 " + line.timeText +
           " は歌詞MP3に書けません(書ける時刻は 99:59:99 まで)";
}

std::string NotMpegAudioMessage(const std::string& sourcePath) {
    return sourcePath + " はMP3ファイルではありません";
}

}  // namespace

LyricMp3Result LyricMp3Export(const LyricList& lyrics, const std::filesystem::path& programFolder,
                              const std::string& sourcePath, const std::string& outputPath) {
    std::string error;
    const std::optional<SharedLibrary> library =
        SharedLibrary::Open(kTessaryLibraryName, programFolder, error);
    if (!library) return {.errorMessage = kTessaryMissingMessage};
    const auto addItem =
        reinterpret_cast<TessaryAddItemFunction>(library->symbol(TESSARY_ADD_ITEM_SYMBOL, error));
    const auto create =
        reinterpret_cast<TessaryCreateFunction>(library->symbol(TESSARY_CREATE_SYMBOL, error));
    if (addItem == nullptr || create == nullptr) return {.errorMessage = kTessaryInvalidMessage};
    if (lyrics.count() == 0) return {.code = kLyricMp3NoLines};
    // A source that cannot be opened is the library's to report; one that
    // opens but holds no MPEG audio would give a file no player plays.
    std::error_code statError;
    if (std::filesystem::is_regular_file(sourcePath, statError) && !FileIsMpegAudio(sourcePath)) {
        return {.code = TESSARY_SOURCE_UNREADABLE, .errorMessage = NotMpegAudioMessage(sourcePath)};
    }

    std::size_t longest = 0;
    for (int i = 0; i < lyrics.count(); ++i) {
        const LyricLine& line = lyrics.line(i);
        longest = std::max(longest, line.lyricText.size());
        if (line.lyricText.empty()) continue;
        std::int32_t milliseconds = 0;
        try {
            milliseconds = ParseTimeText(line.timeText);
        } catch (const ConversionError& e) {
            return {.errorMessage = std::string(e.what()) + "\n" + LineTimeBeyondLimit(i, line)};
        }
        // A line the library could not keep must not pass for a written song.
        if (addItem(line.lyricText.c_str(), milliseconds) != TESSARY_ITEM_ADDED) {
            return {.errorMessage = kOutOfMemoryMessage};
        }
    }
    const int created = create(sourcePath.c_str(), outputPath.c_str());
    if (created != TESSARY_WRITTEN) return {.code = created};
    return {.code = -static_cast<int>(longest), .written = true};
}

}  // namespace obrin
