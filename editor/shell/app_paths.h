#pragma once

#include <filesystem>
#include <string>

namespace obrin {

// The folder of the running executable, where the INI files and the
// libraries lie. Empty only if the system cannot tell (no /proc).
std::filesystem::path ProgramFolder();

// The name of the user's section in "obrin.ini": the login name of the
// effective user, at most 99 bytes, or "setting" when there is none.
std::string LoginName();

// The per-user folder for the single-instance lock: $XDG_RUNTIME_DIR when it
// is an absolute path, else /tmp/obrin-<uid>. Not created here.
std::filesystem::path RuntimeFolder();

// The user's own folders of an installed copy, after the XDG base directory
// rules: the variable's folder when it is an absolute path, else the one
// below $HOME; empty when HOME is not absolute either. None is created here.
// Settings ("obrin.ini", "font.ini"): $XDG_CONFIG_HOME/obrin, ~/.config/obrin.
std::filesystem::path ConfigFolder();
// The decoded song while no work folder is chosen: $XDG_CACHE_HOME/obrin,
// ~/.cache/obrin.
std::filesystem::path CacheFolder();
// What obrin keeps between runs when its work folder is read-only:
// $XDG_STATE_HOME/obrin, ~/.local/state/obrin.
std::filesystem::path StateFolder();

// Whether this process may create files in `folder` (the system's own
// answer, so root may write into a folder without write permission).
[[nodiscard]] bool IsWritableFolder(const std::filesystem::path& folder);

}  // namespace obrin
