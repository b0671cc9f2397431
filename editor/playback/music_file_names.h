#pragma once

#include <string>

namespace obrin {

// `path` with the extension of its file name (from the last "." of the name)
// replaced by `extension` (with its dot), or `extension` appended when the
// name has none: "D:/music/song.mp3" gives "D:/music/song.txt".
[[nodiscard]] std::string ReplaceExtension(const std::string& path, const std::string& extension);

// The PluginTable key of a music file: its extension, lower-cased, without
// the dot, at most 999 characters; empty when the name has no ".".
[[nodiscard]] std::string ExtensionKey(const std::string& path);

}  // namespace obrin
