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

// A text in pieces that each end at a line break (or at the text's end), so
// that a reader can give a piece back as soon as its lines are read and never
// holds a large text whole beside what it makes of it. LineCursor cuts the
// pieces one after another into the lines it cuts the whole text into.
class TextPieces {
  public:
    // The text as one piece, not copied; release gives nothing back.
    explicit TextPieces(std::string_view text);
    // Takes the text over in pieces of about pieceBytes.
    TextPieces(std::string&& text, std::size_t pieceBytes);
    // The views point into the pieces it owns.
    TextPieces(const TextPieces&) = delete;
    TextPieces& operator=(const TextPieces&) = delete;

    [[nodiscard]] std::size_t count() const { return views_.size(); }
    [[nodiscard]] std::string_view piece(std::size_t index) const { return views_[index]; }
    // Frees the piece's bytes; it reads as empty from then on.
    void release(std::size_t index);

  private:
    std::vector<std::string> owned_;
    std::vector<std::string_view> views_;
};

// The file form of lines: each line's bytes followed by CR LF, the last one
// included; no byte order mark, nothing else.
[[nodiscard]] std::string JoinLinesCrLf(const std::vector<std::string>& lines);

}  // namespace obrin
