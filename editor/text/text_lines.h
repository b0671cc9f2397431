#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// ReadFileBytes, which every reader of lyrics files takes its bytes from.
#include "base/file_bytes.h"

namespace obrin {

// Cuts text into lines at CR LF, at a lone CR and at a lone LF. A break at the
// very end gives no extra empty line, and the text ends at its first NUL byte.
[[nodiscard]] std::vector<std::string> CutLines(std::string_view text);

// The lines CutLines cuts, one at a time and without a copy, for a reader
// that need not hold every line of a large text at once.
class LineCursor {
  public:
    explicit LineCursor(std::string_view text);
    // The next line, or std::nullopt after the last.
    [[nodiscard]] std::optional<std::string_view> next();

  private:
    std::string_view text_;
    std::size_t start_ = 0;
};

// The file form of lines: each line's bytes followed by CR LF, the last one
// included; no byte order mark, nothing else.
[[nodiscard]] std::string JoinLinesCrLf(const std::vector<std::string>& lines);

}  // namespace obrin
