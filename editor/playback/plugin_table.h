#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace obrin {

// The registry of input plug-ins, read once at start-up from section "type"
// of "filetype.ini": which library converts files of which extension.
class PluginTable {
  public:
    struct Entry {
        std::string extension;  // as written in the file, without the dot
        std::string library;    // a file name ("vellin.dll") or a path
    };

    // Takes one key of the section, in file order: an empty value is not
    // taken in; a key equal to an earlier entry without regard to case is
    // ignored, so the first entry wins as in any profile file.
    void add(const std::string& extension, const std::string& library);

    // The library of the first entry whose extension equals `extension`
    // without regard to case; empty when there is none.
    [[nodiscard]] std::string lookup(std::string_view extension) const;

    const std::vector<Entry>& entries() const { return entries_; }

  private:
    std::vector<Entry> entries_;
};

// Name and section of the registry file in the program's folder.
inline constexpr const char* kPluginRegistryFileName = "filetype.ini";
inline constexpr const char* kPluginRegistrySection = "type";

// The open dialog's filter: every registered extension first, then all files.
[[nodiscard]] std::string BuildMusicFilter(const PluginTable& table);

}  // namespace obrin
