#pragma once

#include <filesystem>

namespace obrin {

// True when both paths lead to one existing file (the same device and inode),
// however they are spelt and whatever links lie on the way. A command that
// would write its own input refuses on this, before anything is changed.
[[nodiscard]] bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace obrin
