#include "export/ass_karaoke.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "base/sjis_codec.h"
#include "document/unit_split.h"
#include "text/enhanced_lrc.h"
#include "text/standard_lrc.h"
#include "text/time_tag.h"

namespace obrin {
namespace {

constexpr std::string_view kHead =
    "[Script Info]\n"
    "ScriptType: v4.00+\n"
    "PlayResX: 1920\n"
    "PlayResY: 1080\n"
    "WrapStyle: 2\n"
    "ScaledBorderAndShadow: yes\n"
    "\n"
    "[V4+ Styles]\n"
    "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
    "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, "
    "BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n"
    // The wipe fills with the primary colour over the secondary one.
    "Style: Default,IPAGothic,72,&H00FFFFFF,&H00FF9933,&H00000000,&H80000000,"
    "-1,0,0,0,100,100,0,0,1,4,2,2,60,60,60,128\n"
    "\n"
    "[Events]\n"
    "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n";

// "H:MM:SS.cc"
std::string AssTime(int cs) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d:%02d:%02d.%02d", cs / 360000, cs / 6000 % 60,
                  cs / 100 % 60, cs % 100);
    return buffer;
}

// Braces would open an override block and a backslash an escape; their
// full-width forms read the same.
std::string AssText(std::string_view sjis) {
    std::string text;
    for (const char c : SjisToUtf8(sjis)) {
        if (c == '{') {
            text += "\xEF\xBD\x9B";
        } else if (c == '}') {
            text += "\xEF\xBD\x9D";
        } else if (c == '\\') {
            text += "\xEF\xBC\xBC";
        } else {
            text += c;
        }
    }
    return text;
}

struct Segment {
    int start;
    std::string text;  // as the script has it
};

int UnitCs(int start, std::int32_t offsetMs) {
    return std::max(0, static_cast<int>((std::int64_t{start} * 10 + offsetMs) / 10));
}

// The line's timed pieces, in order and never earlier than the one before.
std::vector<Segment> Segments(const LyricLine& line, int lineCs, std::int32_t offsetMs) {
    std::vector<Segment> segments;
    for (const TimingUnit& unit : WrittenUnits(line.units)) {
        const int start = unit.start == kNoUnitTime ? lineCs : UnitCs(unit.start, offsetMs);
        segments.push_back(
            {std::max(start, segments.empty() ? 0 : segments.back().start), AssText(unit.text)});
    }
    if (segments.empty()) segments.push_back({lineCs, AssText(line.lyricText)});
    return segments;
}

// The same pieces in the furigana syntax of karaoke templates: a base with a
// reading as "base|mora" for its first mora and "#|mora" for each further one
// (each a unit of its own, timed or at the time before it). Empty when no
// unit of the line is a base with a reading.
std::vector<Segment> RubySegments(const LyricLine& line, const RubyIndex& ruby, int lineTime,
                                  int lineCs, std::int32_t offsetMs) {
    std::vector<Segment> segments;
    bool anyRuby = false;
    const std::vector<TimingUnit>& units = line.units.units;
    for (std::size_t u = 0; u < units.size(); ++u) {
        const int before = segments.empty() ? lineCs : segments.back().start;
        const auto startOf = [&](const TimingUnit& unit) {
            return unit.start == kNoUnitTime ? before
                                             : std::max(before, UnitCs(unit.start, offsetMs));
        };
        const RubyReading* reading = ruby.find(units[u].text, lineTime);
        std::size_t morae = reading ? reading->morae.size() : 0;
        for (std::size_t m = 1; m < morae; ++m)
            if (u + m >= units.size() || !units[u + m].text.empty()) morae = 0;
        if (morae > 0) {
            anyRuby = true;
            for (std::size_t m = 0; m < morae; ++m) {
                const int start = startOf(units[u + m]);
                segments.push_back({start, (m == 0 ? AssText(units[u].text) : "#") + "|" +
                                               AssText(reading->morae[m].text)});
            }
            u += morae - 1;
        } else if (segments.empty() || (units[u].start != kNoUnitTime && !units[u].text.empty())) {
            segments.push_back({startOf(units[u]), AssText(units[u].text)});
        } else {
            segments.back().text += AssText(units[u].text);
        }
    }
    if (!anyRuby) segments.clear();
    return segments;
}

// "{\k lead-in}{\kf N}piece..." from `start` to `end`.
std::string KaraokeText(const std::vector<Segment>& segments, int start, int end) {
    std::string text = "{\\k" + std::to_string(segments.front().start - start) + "}";
    for (std::size_t s = 0; s < segments.size(); ++s) {
        const int next = s + 1 < segments.size() ? segments[s + 1].start : end;
        text += "{\\kf" + std::to_string(next - segments[s].start) + "}" + segments[s].text;
    }
    return text;
}

}  // namespace

std::string FormatAssKaraoke(const Document& document, const AssOptions& options) {
    std::string script(kHead);
    const auto times = PlayerTimes(document);
    const std::int32_t offsetMs = DocumentOffsetMs(document);
    const RubyIndex rubyIndex(document.ruby());
    std::vector<std::size_t> timed;
    for (std::size_t i = 0; i < times.size(); ++i)
        if (times[i]) timed.push_back(i);
    for (std::size_t k = 0; k < timed.size(); ++k) {
        const LyricLine& line = document.lyrics.line(static_cast<int>(timed[k]));
        const int lineCs = *times[timed[k]] / 10;
        const std::vector<Segment> segments = Segments(line, lineCs, offsetMs);
        int end = lineCs + kAssLongestLineCs;
        if (line.units.end != kNoUnitTime) {
            end = UnitCs(line.units.end, offsetMs);
        } else if (k + 1 < timed.size()) {
            end = std::min(end, *times[timed[k + 1]] / 10);
        }
        const std::vector<Segment> ruby =
            RubySegments(line, rubyIndex, ParseTimeTag(line.timeText) / 10, lineCs, offsetMs);
        end = std::max(end, segments.back().start);
        if (!ruby.empty()) end = std::max(end, ruby.back().start);
        const int start = std::max(0, std::min(lineCs, segments.front().start) - options.leadInCs);
        const std::string span = AssTime(start) + "," + AssTime(end) + ",Default,,0,0,0,";
        script += "Dialogue: 0," + span + "," + KaraokeText(segments, start, end) + "\n";
        if (!ruby.empty())
            script += "Comment: 0," + span + "karaoke," + KaraokeText(ruby, start, end) + "\n";
    }
    return script;
}

}  // namespace obrin
