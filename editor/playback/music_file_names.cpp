#include "playback/music_file_names.h"

#include <algorithm>
#include <cctype>

namespace obrin {

namespace {

// Where the file name's extension starts, or npos. A "." in a folder name
// does not count.
std::size_t ExtensionDot(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t separator = path.rfind('/');
    if (dot == std::string::npos) return dot;
    if (separator != std::string::npos && dot < separator) return std::string::npos;
    return dot;
}

}  // namespace

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
    return path.substr(0, std::min(ExtensionDot(path), path.size())) + extension;
}

std::string ExtensionKey(const std::string& path) {
    const std::size_t dot = ExtensionDot(path);
    if (dot == std::string::npos) return {};
    std::string key = path.substr(dot + 1, 999);
    std::ranges::transform(key, key.begin(), [](unsigned char c) { return std::tolower(c); });
    return key;
}

}  // namespace obrin
