#pragma once

#include <filesystem>
#include <string>

#include "document/lyric_list.h"

namespace obrin {

// What LyricMp3Export did.
struct LyricMp3Result {
    // 0: tessary could not be used, or a line's time could not be read; the
    //    message says which and nothing was written. Also the code of a
    //    written export whose lines are all empty.
    // 3: the list is empty; nothing was written.
    // 1, 2, 4: CreateTessary refused (the source cannot be read; the output
    //    cannot be written or is the source; the lines are beyond the
    //    format); nothing was written.
    // −m: written; m is the byte length of the longest LyricText, empty lines
    //    included, for judging against a display width.
    int code = 0;
    // True only when the output file was made.
    bool written = false;
    // For the error box (UTF-8); empty when there is nothing to tell.
    std::string errorMessage{};
};

inline constexpr int kLyricMp3NotWritten = 0;
inline constexpr int kLyricMp3NoLines = 3;

// Writes a copy of the MP3 `sourcePath` to `outputPath` with every non-empty
// line of `lyrics` and its time in a tag in front, through "tessary.dll"
// (beside the program first). The library is loaded for this one export and
// released before the function returns, on every path, so it starts with an
// empty item list. The output appears only complete, or not at all.
[[nodiscard]] LyricMp3Result LyricMp3Export(const LyricList& lyrics,
                                            const std::filesystem::path& programFolder,
                                            const std::string& sourcePath,
                                            const std::string& outputPath);

inline constexpr const char* kTessaryLibraryName = "tessary.dll";

}  // namespace obrin
