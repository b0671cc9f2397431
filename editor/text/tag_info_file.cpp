#include "text/tag_info_file.h"

#include <unordered_map>

#include "base/time_text.h"
#include "obrin_files/file_replacement.h"
#include "text/comma_text.h"
#include "text/text_lines.h"
#include "text/text_messages.h"
#include "text/time_tag.h"

namespace obrin {
namespace {

constexpr std::string_view kSetting = "Setting";
constexpr std::string_view kTimeTag = "TimeTag";
constexpr std::string_view kInfo = "Info";

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

std::string FoldCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = AsciiLower(c);
    return folded;
}

// Keys compare without case, and a repeated key reads as its first entry (as
// an INI lookup would). Built once, so a combine stays linear in the entries.
std::unordered_map<std::string, const std::string*> FirstValues(const TagInfo& info) {
    std::unordered_map<std::string, const std::string*> values;
    values.reserve(info.timeTags.size());
    for (const auto& [key, value] : info.timeTags) {
        values.try_emplace(FoldCase(key), &value);
    }
    return values;
}

const char* Flag(bool on) {
    return on ? "1" : "0";
}

// A missing or non-numeric value keeps the default; "0" is off and any other
// integer on.
void ReadFlag(std::string_view value, bool& flag) {
    if (const auto number = ParseDecimalInteger(TrimBlanks(value))) flag = *number != 0;
}

}  // namespace

std::int32_t TextChecksum(std::string_view lyricText) {
    std::uint32_t sum = 0;
    for (const char c : lyricText) sum += static_cast<unsigned char>(c);
    return static_cast<std::int32_t>(sum);
}

std::string FormatTagInfoFile(const Document& document, const ExpansionOptions& options) {
    // Equal times share one key: the first keeps its place, the last sets the value.
    std::vector<std::pair<std::int32_t, std::int32_t>> entries;
    std::unordered_map<std::int32_t, std::size_t> positions;
    for (int i = 0; i < document.lyrics.count(); ++i) {
        const LyricLine& line = document.lyrics.line(i);
        const std::int32_t ms = ParseTimeText(line.timeText);
        const std::int32_t checksum = TextChecksum(line.lyricText);
        const auto [it, inserted] = positions.try_emplace(ms, entries.size());
        if (inserted) {
            entries.emplace_back(ms, checksum);
        } else {
            entries[it->second].second = checksum;
        }
    }

    std::vector<std::string> lines = {
        "[" + std::string(kSetting) + "]",
        "Extract=" + std::string(Flag(options.star)),
        "NullLine=" + std::string(Flag(options.nullLine)),
        "EndLine=" + std::string(Flag(options.lastLine)),
        "",
        "[" + std::string(kTimeTag) + "]",
    };
    for (const auto& [ms, checksum] : entries)
        lines.push_back(std::to_string(ms) + "=" + std::to_string(checksum));
    lines.emplace_back();
    lines.push_back("[" + std::string(kInfo) + "]");
    lines.push_back("Other=" + WriteCommaText(document.infoLines()));
    return JoinLinesCrLf(lines);
}

std::error_code SaveTagInfoFile(const std::filesystem::path& path, const Document& document,
                                const ExpansionOptions& options) {
    return WriteFileAtomically(path, FormatTagInfoFile(document, options));
}

ExpansionOptions TagInfo::expansionOptions(const ExpansionOptions& current) const {
    ExpansionOptions options = current;
    options.star = extract;
    options.nullLine = nullLine;
    options.lastLine = endLine;
    return options;
}

TagInfo ParseTagInfo(std::string_view bytes) {
    TagInfo info;
    std::string section;
    bool otherSeen = false;
    for (const auto& raw : CutLines(bytes)) {
        const std::string_view line = TrimBlanks(raw);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            section =
                TrimBlanks(line.substr(1, close == std::string_view::npos ? close : close - 1));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = TrimBlanks(line.substr(0, equals));
        const std::string_view value = line.substr(equals + 1);
        if (EqualsIgnoringCase(section, kSetting)) {
            if (EqualsIgnoringCase(key, "Extract")) ReadFlag(value, info.extract);
            if (EqualsIgnoringCase(key, "NullLine")) ReadFlag(value, info.nullLine);
            if (EqualsIgnoringCase(key, "EndLine")) ReadFlag(value, info.endLine);
        } else if (EqualsIgnoringCase(section, kTimeTag)) {
            info.timeTags.emplace_back(key, value);
        } else if (EqualsIgnoringCase(section, kInfo) && EqualsIgnoringCase(key, "Other") &&
                   !otherSeen) {
            info.other = value;
            otherSeen = true;
        }
    }
    return info;
}

std::optional<TagInfo> ReadTagInfoFile(const std::filesystem::path& path, std::error_code& error) {
    const auto bytes = ReadFileBytes(path, error);
    if (!bytes) return std::nullopt;
    return ParseTagInfo(*bytes);
}

CombineOutcome CombineTagInfo(Document& document, const TagInfo& info,
                              const ExpansionOptions& current, CombineHost& host) {
    host.offerPaste(info.expansionOptions(current));

    CombineOutcome outcome = CombineOutcome::Combined;
    bool agreed = false;
    LyricList& lyrics = document.lyrics;
    const auto firstValues = FirstValues(info);
    for (std::size_t i = 0; i < info.timeTags.size() && static_cast<int>(i) < lyrics.count(); ++i) {
        const int index = static_cast<int>(i);
        const std::string& key = info.timeTags[i].first;
        const auto ms = ParseDecimalInteger(key);
        const auto expected = ParseDecimalInteger(TrimBlanks(*firstValues.at(FoldCase(key))));
        if (!ms || !expected) {
            host.showError(kCombineFailedMessage);
            outcome = CombineOutcome::Failed;
            break;
        }
        if (TextChecksum(lyrics.line(index).lyricText) != *expected && !agreed) {
            if (!host.acceptMismatch(index)) {
                outcome = CombineOutcome::Stopped;
                break;
            }
            agreed = true;
        }
        lyrics.setTimeText(index, FormatTimeText(*ms));
    }

    document.setInfoLines(ReadCommaText(info.other));
    return outcome;
}

}  // namespace obrin
