#include "export/ass_karaoke.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "base/sjis_codec.h"
#include "text/enhanced_lrc.h"
#include "text/standard_lrc.h"

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
    std::string text;  // Shift-JIS
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
            {std::max(start, segments.empty() ? 0 : segments.back().start), unit.text});
    }
    if (segments.empty()) segments.push_back({lineCs, line.lyricText});
    return segments;
}

}  // namespace

std::string FormatAssKaraoke(const Document& document, const AssOptions& options) {
    std::string script(kHead);
    const auto times = PlayerTimes(document);
    const std::int32_t offsetMs = DocumentOffsetMs(document);
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
        end = std::max(end, segments.back().start);
        const int start = std::max(0, std::min(lineCs, segments.front().start) - options.leadInCs);
        std::string text = "{\\k" + std::to_string(segments.front().start - start) + "}";
        for (std::size_t s = 0; s < segments.size(); ++s) {
            const int next = s + 1 < segments.size() ? segments[s + 1].start : end;
            text += "{\\kf" + std::to_string(next - segments[s].start) + "}" +
                    AssText(segments[s].text);
        }
        script += "Dialogue: 0," + AssTime(start) + "," + AssTime(end) + ",Default,,0,0,0,," +
                  text + "\n";
    }
    return script;
}

}  // namespace obrin
