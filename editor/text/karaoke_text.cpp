#include "text/karaoke_text.h"

#include <algorithm>
#include <limits>

#include "base/time_text.h"
#include "text/sjis_text.h"
#include "text/tagged_lyrics_reader.h"
#include "text/time_tag.h"

namespace obrin {
namespace {

std::int32_t TagTime(std::string_view tag) {
    const std::int32_t ms = ParseTimeTag(tag);
    return ms != -1 ? ms : ParseStandardTimeTag(tag);
}

int Centis(std::int32_t ms, std::int64_t offsetMs) {
    const std::int64_t shifted = std::int64_t{ms} + offsetMs;
    return static_cast<int>(
        std::clamp<std::int64_t>(shifted, 0, std::numeric_limits<std::int32_t>::max()) / 10);
}

std::string Tag(int centis) {
    return "[" + FormatTimeText(centis * 10) + "]";
}

// Digits, ":" and "." with a ":": meant as a time, whether or not it reads
// as one.
bool LooksLikeTime(std::string_view content) {
    return content.find(':') != std::string_view::npos &&
           std::all_of(content.begin(), content.end(),
                       [](char c) { return (c >= '0' && c <= '9') || c == ':' || c == '.'; });
}

bool EqualsIgnoringCase(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((text[i] | 0x20) != lower[i]) return false;
    return true;
}

std::string FormatReading(const std::vector<TimingUnit>& morae) {
    std::string text;
    for (std::size_t i = 0; i < morae.size(); ++i) {
        if (morae[i].start != kNoUnitTime && (i > 0 || morae[i].start != 0))
            text += Tag(morae[i].start);
        text += morae[i].text;
    }
    return text;
}

std::string FormatRubyLine(int number, const RubyReading& reading) {
    std::string line =
        "@Ruby" + std::to_string(number) + "=" + reading.base + "," + FormatReading(reading.morae);
    if (reading.from != kNoUnitTime || reading.to != kNoUnitTime)
        line += "," + (reading.from != kNoUnitTime ? Tag(reading.from) : std::string());
    if (reading.to != kNoUnitTime) line += "," + Tag(reading.to);
    return line;
}

struct Occurrence {
    int lineTime;
    std::vector<int> times;  // each mora's start from the base's start
};

}  // namespace

InlineTagRead ReadInlineTags(std::string_view rest, bool keepBrackets, int lineTime,
                             std::int64_t offsetMs) {
    InlineTagRead read;
    std::vector<TimingUnit> units{{.text = {}, .start = lineTime}};
    int end = kNoUnitTime;
    for (std::size_t pos = 0; pos < rest.size();) {
        const std::size_t size = SjisCharSize(rest, pos);
        if (size == 1 && rest[pos] == ']' && !keepBrackets) {
            ++pos;
            continue;
        }
        if (size != 1 || rest[pos] != '[') {
            units.back().text.append(rest.substr(pos, size));
            pos += size;
            continue;
        }
        std::size_t close = FindSjis(rest.substr(pos + 1), "]");
        if (close == std::string_view::npos) {
            if (keepBrackets) units.back().text.append(rest.substr(pos));
            break;
        }
        close += pos + 1;
        const std::string_view content = rest.substr(pos + 1, close - pos - 1);
        const std::string_view whole = rest.substr(pos, close + 1 - pos);
        pos = close + 1;
        const std::int32_t ms = TagTime(content);
        if (ms < 0) {
            read.unreadableTag = read.unreadableTag || LooksLikeTime(content);
            if (keepBrackets) units.back().text.append(whole);
            continue;
        }
        if (units.back().text.empty()) {
            // Directly after a tag: as it always was.
            if (keepBrackets) units.back().text.append(whole);
            continue;
        }
        if (pos == rest.size()) {
            end = Centis(ms, offsetMs);
        } else {
            units.push_back({.text = {}, .start = Centis(ms, offsetMs)});
        }
    }
    if (units.size() > 1 && units.back().text.empty()) {
        // A tag with nothing after it but another tag ends the line.
        end = units.back().start;
        units.pop_back();
    }
    if (units.size() == 1 && end == kNoUnitTime) {
        read.text = std::move(units.front().text);
        return read;
    }
    for (std::size_t i = 1; i < units.size(); ++i)
        read.outOfOrder = read.outOfOrder || units[i].start < units[i - 1].start;
    read.endBeforeLastUnit = end != kNoUnitTime && end < units.back().start;
    read.text = JoinedText(units);
    read.units = LineUnits{.units = std::move(units), .end = end};
    return read;
}

std::string FormatTaggedLine(const LyricLine& line) {
    std::string text = "[" + line.timeText + "]";
    const LineUnits& units = line.units;
    if (!units.timed() || JoinedText(units.units) != line.lyricText) return text + line.lyricText;
    for (std::size_t i = 0; i < units.units.size(); ++i) {
        const TimingUnit& unit = units.units[i];
        if (i > 0 && !unit.text.empty() && unit.start != kNoUnitTime) text += Tag(unit.start);
        text += unit.text;
    }
    if (units.end != kNoUnitTime) text += Tag(units.end);
    return text;
}

void ApplyReadings(LineUnits& units, const RubyIndex& ruby, int lineTime) {
    std::vector<TimingUnit> applied;
    applied.reserve(units.units.size());
    for (TimingUnit& unit : units.units) {
        const RubyReading* reading = unit.text.empty() ? nullptr : ruby.within(unit.text, lineTime);
        if (reading) {
            const std::vector<TimingUnit> split = SplitIntoUnits(unit.text, ruby, lineTime);
            const bool oneBase = split.size() == reading->morae.size() &&
                                 std::all_of(split.begin() + 1, split.end(),
                                             [](const TimingUnit& u) { return u.text.empty(); });
            if (!oneBase) reading = nullptr;
        }
        if (!reading) {
            applied.push_back(std::move(unit));
            continue;
        }
        const int first =
            reading->morae.front().start == kNoUnitTime ? 0 : reading->morae.front().start;
        const int start = unit.start;
        applied.push_back(std::move(unit));
        for (std::size_t m = 1; m < reading->morae.size(); ++m) {
            const int offset = reading->morae[m].start;
            applied.push_back({.text = {},
                               .start = start != kNoUnitTime && offset != kNoUnitTime
                                            ? start + offset - first
                                            : kNoUnitTime});
        }
    }
    units.units = std::move(applied);
}

bool IsRubyLine(std::string_view line) {
    if (line.size() < 7 || line[0] != '@' || !EqualsIgnoringCase(line.substr(1, 4), "ruby"))
        return false;
    std::size_t pos = 5;
    while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9') ++pos;
    return pos > 5 && pos < line.size() && line[pos] == '=';
}

std::optional<RubyLineRead> ReadRubyLine(std::string_view line, std::int64_t offsetMs) {
    if (!IsRubyLine(line)) return std::nullopt;
    // "," is never the second byte of a Shift-JIS character.
    std::vector<std::string_view> fields;
    for (std::string_view rest = line.substr(line.find('=') + 1);;) {
        const std::size_t comma = rest.find(',');
        fields.push_back(rest.substr(0, comma));
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    if (fields.size() > 4 || fields[0].empty()) return std::nullopt;
    RubyLineRead read;
    read.reading.base = std::string(fields[0]);
    if (fields.size() > 1) {
        const std::string_view text = fields[1];
        std::vector<TimingUnit> pieces{{.text = {}, .start = kNoUnitTime}};
        bool tagged = false;
        for (std::size_t pos = 0; pos < text.size();) {
            const std::size_t size = SjisCharSize(text, pos);
            const std::size_t close = size == 1 && text[pos] == '['
                                          ? FindSjis(text.substr(pos), "]")
                                          : std::string_view::npos;
            if (close == std::string_view::npos) {
                pieces.back().text.append(text.substr(pos, size));
                pos += size;
                continue;
            }
            const std::int32_t ms = TagTime(text.substr(pos + 1, close - 1));
            pos += close + 1;
            if (ms < 0) {
                read.unreadableTag = true;
                continue;
            }
            tagged = true;
            if (pieces.back().text.empty()) {
                pieces.back().start = ms / 10;
            } else {
                pieces.push_back({.text = {}, .start = ms / 10});
            }
        }
        if (tagged) {
            if (pieces.front().start == kNoUnitTime) pieces.front().start = 0;
            if (pieces.back().text.empty()) pieces.pop_back();
            read.moraeMismatch = SplitMorae(JoinedText(pieces)).size() != pieces.size();
            read.reading.morae = std::move(pieces);
        } else {
            for (std::string& mora : SplitMorae(pieces.front().text))
                read.reading.morae.push_back({.text = std::move(mora), .start = kNoUnitTime});
        }
    }
    const auto limit = [&](std::string_view field, int& time) {
        if (field.empty()) return;
        if (field.front() == '[' && field.back() == ']' && field.size() >= 2)
            field = field.substr(1, field.size() - 2);
        const std::int32_t ms = TagTime(field);
        if (ms < 0) {
            read.unreadableTag = true;
        } else {
            time = Centis(ms, offsetMs);
        }
    };
    if (fields.size() > 2) limit(fields[2], read.reading.from);
    if (fields.size() > 3) limit(fields[3], read.reading.to);
    return read;
}

std::vector<std::string> FormatRubyLines(const RubyTable& ruby,
                                         const std::vector<LyricLine>& lines) {
    std::vector<std::vector<Occurrence>> occurrences(ruby.size());
    if (!ruby.empty()) {
        const RubyIndex index(ruby);
        for (const LyricLine& line : lines) {
            const std::vector<TimingUnit>& units = line.units.units;
            const int lineTime = TimeTextCentis(line.timeText);
            for (std::size_t i = 0; i + 1 < units.size(); ++i) {
                if (units[i].text.empty() || !units[i + 1].text.empty()) continue;
                const RubyReading* reading = index.within(units[i].text, lineTime);
                std::size_t count = 1;
                while (i + count < units.size() && units[i + count].text.empty()) ++count;
                if (!reading || reading->morae.size() != count) continue;
                Occurrence occurrence{.lineTime = lineTime, .times = {}};
                bool timed = false;
                for (std::size_t m = 0; m < count; ++m) {
                    const int start = units[i + m].start;
                    const bool known = start != kNoUnitTime && units[i].start != kNoUnitTime;
                    occurrence.times.push_back(known ? start - units[i].start : kNoUnitTime);
                    timed = timed || (known && m > 0);
                }
                if (timed)
                    occurrences[static_cast<std::size_t>(reading - ruby.data())].push_back(
                        std::move(occurrence));
            }
        }
    }
    std::vector<std::string> text;
    text.reserve(ruby.size());
    for (std::size_t r = 0; r < ruby.size(); ++r) {
        const std::vector<Occurrence>& found = occurrences[r];
        // Runs of equally timed occurrences, each with its first line's time.
        std::vector<std::pair<int, const std::vector<int>*>> runs;
        for (const Occurrence& occurrence : found)
            if (runs.empty() || *runs.back().second != occurrence.times)
                runs.emplace_back(occurrence.lineTime, &occurrence.times);
        if (runs.empty()) {
            text.push_back(FormatRubyLine(static_cast<int>(text.size()) + 1, ruby[r]));
            continue;
        }
        for (std::size_t g = 0; g < runs.size(); ++g) {
            RubyReading written = ruby[r];
            for (std::size_t m = 0; m < written.morae.size(); ++m)
                written.morae[m].start = (*runs[g].second)[m];
            if (g > 0) written.from = runs[g].first;
            if (g + 1 < runs.size()) written.to = runs[g + 1].first;
            text.push_back(FormatRubyLine(static_cast<int>(text.size()) + 1, written));
        }
    }
    return text;
}

}  // namespace obrin
