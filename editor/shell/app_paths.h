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

}  // namespace obrin
