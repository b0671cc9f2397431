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

// Creates a new, empty file in `target`'s folder to be renamed over it later,
// and opens it for writing (descriptor in `fd`, name in `created`). It is
// created exclusively, so nothing already at that name (a file, a symbolic
// link) is ever followed or truncated. The name is hidden, made from the
// target's name, `tag` and a number, and shortened so that it stays within
// the folder's limit however long the target's own name is.
[[nodiscard]] std::error_code CreateFileBeside(const std::filesystem::path& target,
                                               std::string_view tag, int& fd,
                                               std::filesystem::path& created);

}  // namespace obrin
