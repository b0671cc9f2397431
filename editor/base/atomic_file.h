#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

namespace obrin {

// Replaces `target` with `bytes` so that a reader sees either the old file or
// the complete new one, never a part: the bytes go to a temporary file in the
// target's own folder (a rename is only atomic within one file system), are
// flushed to disk, and the temporary file is renamed over the target. On any
// failure the old target is untouched, the temporary file is removed, and the
// cause is returned; success is an empty error_code. A new file gets the
// usual permissions (0666 less the umask), a replaced one keeps its mode.
[[nodiscard]] std::error_code WriteFileAtomically(const std::filesystem::path& target,
                                                  std::string_view bytes);

}  // namespace obrin
