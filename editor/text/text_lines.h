#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace obrin {

// Cuts text into lines at CR LF, at a lone CR and at a lone LF. A break at the
// very end gives no extra empty line, and the text ends at its first NUL byte.
[[nodiscard]] std::vector<std::string> CutLines(std::string_view text);

// The file form of lines: each line's bytes followed by CR LF, the last one
// included; no byte order mark, nothing else.
[[nodiscard]] std::string JoinLinesCrLf(const std::vector<std::string>& lines);

// Reads a whole file as bytes. std::nullopt (with the cause in `error`) when it
// cannot be opened or read.
[[nodiscard]] std::optional<std::string> ReadFileBytes(const std::filesystem::path& path,
                                                       std::error_code& error);

}  // namespace obrin
