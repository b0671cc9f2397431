#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "document/lyric_list.h"
#include "shell/app_paths.h"
#include "temp_folder.h"

namespace obrin::test {

// Lines of {TimeText, LyricText}.
inline LyricList LyricsOf(const std::vector<std::pair<std::string, std::string>>& lines) {
    LyricList lyrics;
    for (const auto& [time, text] : lines) {
        const int index = lyrics.add();
        lyrics.setTimeText(index, time);
        lyrics.setLyricText(index, text);
    }
    return lyrics;
}

// `count` full-width characters (あ in Shift-JIS), two bytes each.
inline std::string FullWidth(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "\x82\xa0";
    return text;
}

// A program folder that holds `library` under the name `as` (or nothing):
// the exports look for their library there first.
class ScratchProgramFolder {
  public:
    ScratchProgramFolder() = default;
    ScratchProgramFolder(const std::string& library, const std::string& as) {
        std::filesystem::copy_file(ProgramFolder() / library, folder_.path() / as);
    }
    const std::filesystem::path& path() const { return folder_.path(); }

  private:
    TempFolder folder_;
};

// The names in a folder, sorted: a test sees a stray temporary file.
inline std::vector<std::string> FolderNamesOf(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline const std::string kAudio = "\xFF\xFB\x90\x64 not really audio";

}  // namespace obrin::test
