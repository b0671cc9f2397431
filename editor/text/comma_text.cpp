#include "text/comma_text.h"

namespace obrin {
namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

bool NeedsQuotes(std::string_view line) {
    for (const char c : line) {
        if (IsBlank(c) || c == '"' || c == ',') return true;
    }
    return false;
}

void SkipBlanks(std::string_view value, std::size_t& pos) {
    while (pos < value.size() && IsBlank(value[pos])) ++pos;
}

}  // namespace

std::string WriteCommaText(const std::vector<std::string>& lines) {
    if (lines.size() == 1 && lines.front().empty()) return "\"\"";
    std::string value;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) value += ',';
        const std::string& line = lines[i];
        if (!NeedsQuotes(line)) {
            value += line;
            continue;
        }
        value += '"';
        for (const char c : line) {
            if (c == '"') value += '"';
            value += c;
        }
        value += '"';
    }
    return value;
}

std::vector<std::string> ReadCommaText(std::string_view value) {
    value = value.substr(0, value.find('\0'));
    std::vector<std::string> lines;
    std::size_t pos = 0;
    SkipBlanks(value, pos);
    while (pos < value.size()) {
        std::string item;
        if (value[pos] == '"') {
            for (++pos; pos < value.size(); ++pos) {
                if (value[pos] != '"') {
                    item += value[pos];
                } else if (pos + 1 < value.size() && value[pos + 1] == '"') {
                    item += '"';
                    ++pos;
                } else {
                    ++pos;
                    break;
                }
            }
        } else {
            const std::size_t start = pos;
            while (pos < value.size() && !IsBlank(value[pos]) && value[pos] != ',') ++pos;
            item.assign(value.substr(start, pos - start));
        }
        lines.push_back(std::move(item));
        SkipBlanks(value, pos);
        if (pos < value.size() && value[pos] == ',') {
            ++pos;
            SkipBlanks(value, pos);
            if (pos == value.size()) lines.emplace_back();
        }
    }
    return lines;
}

}  // namespace obrin
