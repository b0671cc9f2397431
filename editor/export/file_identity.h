#pragma once

#include <filesystem>

namespace obrin {

// True when the two paths name one file or folder, however they are written:
// "a.mp3" and "./a.mp3", "dir" and "dir/", a symbolic link and its target, two
// hard links. Existing files compare by device and inode; when one of them
// does not exist yet, their canonical paths are compared.
[[nodiscard]] bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace obrin
