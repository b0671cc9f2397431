#pragma once

#include <string>
#include <string_view>
#include <vector>

// ReadFileBytes, which every reader of lyrics files takes its bytes from.
#include "base/file_bytes.h"

namespace obrin {

// Cuts text into lines at CR LF, at a lone CR and at a lone LF. A break at the
// very end gives no extra empty line, and the text ends at its first NUL byte.
[[nodiscard]] std::vector<std::string> CutLines(std::string_view text);

// The file form of lines: each line's bytes followed by CR LF, the last one
// included; no byte order mark, nothing else.
[[nodiscard]] std::string JoinLinesCrLf(const std::vector<std::string>& lines);

}  // namespace obrin
