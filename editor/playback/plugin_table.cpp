#include "playback/plugin_table.h"

#include <algorithm>
#include <cctype>

namespace obrin {

namespace {

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(
        a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

}  // namespace

void PluginTable::add(const std::string& extension, const std::string& library) {
    if (library.empty()) return;
    const auto same = std::ranges::find_if(entries_, [&](const Entry& entry) {
        return EqualIgnoringCase(entry.extension, extension);
    });
    if (same == entries_.end()) entries_.push_back({extension, library});
}

std::string PluginTable::lookup(std::string_view extension) const {
    const auto found = std::ranges::find_if(entries_, [&](const Entry& entry) {
        return EqualIgnoringCase(entry.extension, extension);
    });
    return found != entries_.end() ? found->library : std::string();
}

std::string BuildMusicFilter(const PluginTable& table) {
    std::string description = "対応ファイル(";
    std::string patterns;
    for (const auto& entry : table.entries()) {
        description += "*." + entry.extension + " ";
        if (!patterns.empty()) patterns += ";";
        patterns += "*." + entry.extension;
    }
    return description + ")|" + patterns + "|全てのファイル(*.*)|*.*";
}

}  // namespace obrin
