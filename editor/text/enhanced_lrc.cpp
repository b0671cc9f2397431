#include "text/enhanced_lrc.h"

#include <algorithm>
#include <limits>

#include "text/standard_lrc.h"
#include "text/tagged_lyrics_reader.h"

namespace obrin {
namespace {

// Longer than any time a tag can hold ("<596523:14.836>" is already past
// what the times hold), so that text between "<" and a far ">" is not parsed.
constexpr std::size_t kLongestTag = 24;

std::string WordTag(int cs, std::int64_t offsetMs, bool milliseconds) {
    const std::int64_t ms = std::clamp<std::int64_t>(std::int64_t{cs} * 10 + offsetMs, 0,
                                                     std::numeric_limits<std::int32_t>::max());
    std::string tag = StandardTimeTag(static_cast<std::int32_t>(ms), milliseconds);
    tag.front() = '<';
    tag.back() = '>';
    return tag;
}

int Centiseconds(std::int32_t tagMs, std::int64_t offsetMs) {
    const std::int64_t ms = std::clamp<std::int64_t>(std::int64_t{tagMs} + offsetMs, 0,
                                                     std::numeric_limits<std::int32_t>::max());
    return static_cast<int>(ms / 10);
}

}  // namespace

bool HasUnitTimes(const LineUnits& units) {
    return std::any_of(units.units.begin(), units.units.end(),
                       [](const TimingUnit& unit) { return unit.start != kNoUnitTime; });
}

std::vector<TimingUnit> WrittenUnits(const LineUnits& units) {
    std::vector<TimingUnit> written;
    for (const TimingUnit& unit : units.units) {
        if ((unit.start == kNoUnitTime || unit.text.empty()) && !written.empty()) {
            written.back().text += unit.text;
        } else {
            written.push_back(unit);
        }
    }
    return written;
}

std::string WordTaggedText(const LineUnits& units, std::int64_t offsetMs, bool milliseconds) {
    std::string text;
    for (const TimingUnit& unit : WrittenUnits(units)) {
        if (unit.start != kNoUnitTime) text += WordTag(unit.start, offsetMs, milliseconds);
        text += unit.text;
    }
    if (units.end != kNoUnitTime) text += WordTag(units.end, offsetMs, milliseconds);
    return text;
}

WordTagsRead ReadWordTags(std::string_view rest, int lineCs, std::int64_t offsetMs) {
    WordTagsRead read;
    std::vector<TimingUnit>& units = read.units.units;
    int pendingStart = kNoUnitTime;
    bool tagged = false;
    std::string pending;
    const auto close = [&] {
        if (!pending.empty() || pendingStart != kNoUnitTime)
            units.push_back({.text = std::move(pending), .start = pendingStart});
        pending.clear();
    };
    // The first ">" after the "<" at hand, looked for only past the one found
    // before, so that a line of many "<" reads in linear time.
    std::size_t nextClose = rest.find('>');
    for (std::size_t pos = 0; pos < rest.size();) {
        // "<" and ">" are never the second byte of a two-byte character.
        if (rest[pos] == '<') {
            if (nextClose != std::string_view::npos && nextClose <= pos)
                nextClose = rest.find('>', pos + 1);
            const std::size_t end = nextClose;
            const std::int32_t ms = end == std::string_view::npos || end - pos > kLongestTag
                                        ? -1
                                        : ParseStandardTimeTag(rest.substr(pos + 1, end - pos - 1));
            if (ms >= 0) {
                if (!tagged && !pending.empty()) pendingStart = lineCs;
                tagged = true;
                close();
                pendingStart = Centiseconds(ms, offsetMs);
                pos = end + 1;
                continue;
            }
        }
        pending += rest[pos++];
    }
    if (!tagged) {
        read.text = std::string(rest);
        return read;
    }
    if (pending.empty()) {
        read.units.end = pendingStart;
    } else {
        close();
    }
    // A unit whose time runs backwards keeps its text; its time is dropped,
    // and it joins the unit before it, as a unit without a time is written.
    int last = kNoUnitTime;
    std::vector<TimingUnit> kept;
    kept.reserve(units.size());
    for (TimingUnit& unit : units) {
        if (unit.start != kNoUnitTime && unit.start < last) {
            read.outOfOrder = true;
            unit.start = kNoUnitTime;
        }
        if (unit.start == kNoUnitTime && !kept.empty()) {
            kept.back().text += unit.text;
            continue;
        }
        if (unit.start != kNoUnitTime) last = unit.start;
        kept.push_back(std::move(unit));
    }
    // An empty unit text only stands for a tag directly before another tag.
    std::erase_if(kept, [](const TimingUnit& unit) { return unit.text.empty(); });
    units = std::move(kept);
    if (read.units.end != kNoUnitTime && read.units.end < last) {
        read.endBeforeLastUnit = true;
        read.units.end = kNoUnitTime;
    }
    for (const TimingUnit& unit : units) read.text += unit.text;
    return read;
}

}  // namespace obrin
