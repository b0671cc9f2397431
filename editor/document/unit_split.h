#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "document/timing_units.h"

namespace obrin {

// What a character is to the default split (Shift-JIS, one character).
enum class SplitClass {
    Kana,        // a unit of its own (っ, ッ and ー included)
    SmallKana,   // ぁぃぅぇぉゃゅょゎ and their katakana: joins the unit before
    Kanji,       // 々 included: a unit, or a mora run of its reading
    WordChar,    // Latin letter or digit, half- or full-width: runs are one unit
    Apostrophe,  // inside a word it belongs to the word
    Joiner,      // spaces and punctuation: join the unit before (at the start, after)
    Other,       // anything else: a unit of its own
};

[[nodiscard]] SplitClass ClassifySjisChar(std::string_view character);

// Length of the Shift-JIS character at `pos`: 2 for a lead byte with a byte
// after it, else 1.
[[nodiscard]] std::size_t SjisCharSize(std::string_view text, std::size_t pos);

// A reading cut into morae by the kana rules of the default split.
[[nodiscard]] std::vector<std::string> SplitMorae(std::string_view kana);

// The readings of a RubyTable by base, for finding the one that applies to an
// occurrence in time linear in the text. The table must outlive the index.
class RubyIndex {
  public:
    RubyIndex() = default;
    explicit RubyIndex(const RubyTable& table);

    // The reading of the longest base that starts at `pos` and applies on a
    // line at `lineTime`, with a reading that is not empty; null when none.
    [[nodiscard]] const RubyReading* match(std::string_view text, std::size_t pos,
                                           int lineTime) const;
    // The reading of the first base met at a kanji of `text` (the reading a
    // unit with further morae was split by).
    [[nodiscard]] const RubyReading* within(std::string_view text, int lineTime) const;
    // The first reading of exactly this base that applies at `lineTime`.
    [[nodiscard]] const RubyReading* find(std::string_view base, int lineTime) const;

  private:
    std::unordered_map<std::string_view, std::vector<const RubyReading*>> byBase_;
    std::vector<std::size_t> lengths_;  // distinct base lengths, longest first
};

// The default split of a line's text into units, without times: each kana a
// unit (small kana joining the one before), kanji runs cut into the morae of
// their readings or one unit per kanji, Latin words and numbers one unit,
// spaces and punctuation joining the unit before (at the start, the one after).
[[nodiscard]] std::vector<TimingUnit> SplitIntoUnits(std::string_view text,
                                                     const RubyIndex& ruby = {},
                                                     int lineTime = kNoUnitTime);

// How many morae a unit stands for, the weight a spread gives it: one, but a
// Latin word counts its vowel groups.
[[nodiscard]] int UnitMorae(const TimingUnit& unit);

// A line's TimeText ("mm:ss:cc", two or more minute digits) in centiseconds;
// kNoUnitTime for any other text.
[[nodiscard]] int TimeTextCentis(std::string_view timeText);

// The units of a line whose text became `text`: the units at its start and
// at its end whose text did not change keep their times (a kanji run with its
// further morae counts as one), the text between them is split anew, untimed.
// The end stays with the last unit. No units at all when none keeps a time.
[[nodiscard]] LineUnits KeepUnchangedUnits(const LineUnits& old, std::string_view text);

// Moves every time of the units by the change of their line's time from
// `from` to `to` (centiseconds); the first unit takes `to`. Times stay at 0
// or later.
void MoveUnits(LineUnits& units, int from, int to);

// The texts of the units joined.
[[nodiscard]] std::string JoinedText(const std::vector<TimingUnit>& units);

}  // namespace obrin
