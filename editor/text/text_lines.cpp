#include "text/text_lines.h"

#include <algorithm>

namespace obrin {

LineCursor::LineCursor(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

std::optional<std::string_view> LineCursor::next() {
    if (start_ >= text_.size()) return std::nullopt;
    const std::size_t end = text_.find_first_of("\r\n", start_);
    if (end == std::string_view::npos) {
        const std::string_view line = text_.substr(start_);
        start_ = text_.size();
        return line;
    }
    const std::string_view line = text_.substr(start_, end - start_);
    start_ = end + (text_.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    return line;
}

std::vector<std::string> CutLines(std::string_view text) {
    std::vector<std::string> lines;
    for (LineCursor cursor(text); const auto line = cursor.next();) lines.emplace_back(*line);
    return lines;
}

TextPieces::TextPieces(std::string_view text) {
    if (!text.empty()) views_.push_back(text);
}

TextPieces::TextPieces(std::string&& text, std::size_t pieceBytes) {
    // LineCursor ends the text at its first NUL byte; the pieces after it
    // would never be read.
    text.resize(std::min(text.size(), text.find('\0')));
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find_first_of("\r\n", std::min(start + pieceBytes, text.size()));
        if (end == std::string::npos) {
            end = text.size();
        } else {
            // A CR LF stays in one piece, or the next would begin with an
            // empty line.
            end += text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        }
        owned_.push_back(text.substr(start, end - start));
        start = end;
    }
    std::string().swap(text);
    views_.assign(owned_.begin(), owned_.end());
}

void TextPieces::release(std::size_t index) {
    views_[index] = {};
    if (index < owned_.size()) std::string().swap(owned_[index]);
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const auto& line : lines) size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace obrin
