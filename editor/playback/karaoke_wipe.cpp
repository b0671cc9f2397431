#include "playback/karaoke_wipe.h"

#include <algorithm>
#include <cstddef>

#include "document/karaoke_units.h"

namespace obrin {

namespace {

double Fraction(double centis, double start, double end) {
    if (centis < start) return 0.0;
    if (centis >= end) return 1.0;
    return (centis - start) / (end - start);
}

// Each unit's start and, last, the line's end, with the units that have no
// time spread evenly between the times around them, never earlier than the
// unit before.
std::vector<double> UnitTimes(const LineUnits& units, int lineStart, int nextStart) {
    const std::size_t count = units.units.size();
    std::vector<double> times(count + 1, -1.0);
    times[0] = lineStart;
    for (std::size_t i = 1; i < count; ++i) {
        if (units.units[i].start != kNoUnitTime) times[i] = units.units[i].start;
    }
    if (units.end != kNoUnitTime) {
        times[count] = units.end;
    } else if (nextStart != kNoUnitTime) {
        times[count] = nextStart;
    } else {
        std::size_t lastTimed = count - 1;
        while (times[lastTimed] < 0) --lastTimed;
        times[count] =
            times[lastTimed] + static_cast<double>(kLastUnitCentis * (count - lastTimed));
    }
    std::size_t before = 0;
    for (std::size_t i = 1; i <= count; ++i) {
        if (times[i] < 0) continue;
        const double step = (times[i] - times[before]) / static_cast<double>(i - before);
        for (std::size_t j = before + 1; j < i; ++j) {
            times[j] = times[before] + step * static_cast<double>(j - before);
        }
        before = i;
    }
    for (std::size_t i = 1; i <= count; ++i) times[i] = std::max(times[i], times[i - 1]);
    return times;
}

// The reading shown over the piece of units first..last (the further morae
// of a run are the units with no text after its first).
const RubyReading* PieceReading(const RubyIndex& ruby, const std::string& text, bool furtherMorae,
                                int lineStart) {
    if (text.empty()) return nullptr;
    if (furtherMorae) return ruby.within(text, lineStart);
    return ruby.find(text, lineStart);
}

WipeLine WipeLineAt(const LyricList& lyrics, const RubyIndex& ruby, int line, int lineStart,
                    int nextStart, double centis) {
    WipeLine wipe{.line = line, .pieces = {}};
    const LineUnits units = UnitsOf(lyrics.line(line), ruby);
    if (units.units.empty()) return wipe;
    const std::vector<double> times = UnitTimes(units, lineStart, nextStart);
    const std::size_t count = units.units.size();
    for (std::size_t first = 0; first < count;) {
        std::size_t end = first + 1;
        while (end < count && units.units[end].text.empty()) ++end;
        WipePiece piece{.text = units.units[first].text,
                        .fraction = Fraction(centis, times[first], times[end]),
                        .ruby = {}};
        const RubyReading* reading = PieceReading(ruby, piece.text, end - first > 1, lineStart);
        if (reading != nullptr && reading->morae.size() == end - first) {
            for (std::size_t mora = 0; mora < end - first; ++mora) {
                piece.ruby.push_back(
                    {.text = reading->morae[mora].text,
                     .fraction = Fraction(centis, times[first + mora], times[first + mora + 1])});
            }
        } else if (reading != nullptr) {
            piece.ruby.push_back({.text = reading->reading(), .fraction = piece.fraction});
        }
        wipe.pieces.push_back(std::move(piece));
        first = end;
    }
    return wipe;
}

}  // namespace

KaraokeFrame KaraokeFrameAt(const LyricList& lyrics, const RubyIndex& ruby, double centis) {
    int current = -1;
    int currentStart = kNoUnitTime;
    int next = -1;
    int nextStart = kNoUnitTime;
    for (int i = 0; i < lyrics.count(); ++i) {
        const int start = TimeTextCentis(lyrics.line(i).timeText);
        if (start <= 0) continue;
        if (start <= centis) {
            if (start >= currentStart) {
                current = i;
                currentStart = start;
            }
        } else if (next < 0 || start < nextStart) {
            next = i;
            nextStart = start;
        }
    }
    KaraokeFrame frame;
    if (current >= 0) {
        frame.current = WipeLineAt(lyrics, ruby, current, currentStart, nextStart, centis);
    }
    if (next >= 0) frame.next = WipeLineAt(lyrics, ruby, next, nextStart, kNoUnitTime, centis);
    return frame;
}

}  // namespace obrin
