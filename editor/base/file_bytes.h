#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace obrin {

// Reads a whole file as bytes. std::nullopt, with the cause in `error`, when
// it cannot be opened (missing, no permission, a folder, a link loop, a name
// too long) or a read fails part-way (a failing disk), or its bytes do not fit
// in memory. Never throws.
[[nodiscard]] std::optional<std::string> ReadFileBytes(const std::filesystem::path& path,
                                                       std::error_code& error);

// Reads everything an open descriptor yields up to its end, as ReadFileBytes
// does; for standard input, where a folder or a closed descriptor must be an
// error rather than empty text.
[[nodiscard]] std::optional<std::string> ReadDescriptorBytes(int fd, std::error_code& error);

}  // namespace obrin
