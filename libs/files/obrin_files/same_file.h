#pragma once

#include <filesystem>

namespace obrin {

// True when `a` and `b` name one file, however they are written: existing
// files compare by device and inode after following links ("a.mp3",
// "./a.mp3", a link to it, a second hard link); a path that does not exist
// yet compares by its folder, made canonical, and its name after following
// links, so an output not yet written is still recognised as its input's
// name. "dir" and "dir/" name one folder. A command that would write its own
// input refuses on this before anything is changed.
[[nodiscard]] bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace obrin
