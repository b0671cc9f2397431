#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "document/unit_split.h"
#include "text/reading_source.h"

namespace obrin {

// The rules of the ruby dialog: which kanji runs it lists, and how the
// user's readings go back into the document's RubyTable.

// One row of the dialog: a kanji run (a base) with the suggested reading and
// the user's own. Texts are Shift-JIS; a reading is kana, empty for none.
struct RubyRow {
    static constexpr int kNewRow = -1;

    std::string base{};
    // The lines' times the row's reading applies between (RubyReading).
    int from = kNoUnitTime;
    int to = kNoUnitTime;
    std::string suggested{};
    std::string reading{};
    // The document's entry the row shows; kNewRow for a run without one.
    int entry = kNewRow;

    bool operator==(const RubyRow&) const = default;
};

// The rows for the lyrics' texts and the document's readings: one per entry
// of `table` (a base read differently in different ranges has one per
// range), then one per base the source suggests a reading for that the table
// lacks, then one per kanji run of the lyrics that no row's base covers, each
// in the order first met. Every row shows the source's suggestion for its
// base; `source` may be null (no dictionary). New rows start without a
// reading, so rows applied unedited change nothing.
[[nodiscard]] std::vector<RubyRow> BuildRubyRows(const std::vector<std::string>& lyricTexts,
                                                 const RubyTable& table,
                                                 const ReadingSource* source);

// Every row with a suggestion takes it as its reading.
void AcceptAllSuggestions(std::vector<RubyRow>& rows);

// The table once the rows (from BuildRubyRows over `table`) are edited. A
// row whose reading did not change keeps its entry with its morae's times;
// a changed reading is cut into morae anew, untimed; every row keeps its
// range. An empty reading removes the entry, unless a later row of the same
// base has a reading that would then apply in its range: it stays, empty, as
// "no reading here". New rows with a reading are added at the end.
[[nodiscard]] RubyTable ApplyRubyRows(const RubyTable& table, const std::vector<RubyRow>& rows);

// A reading as the user typed it (UTF-8, spaces around it ignored), in
// Shift-JIS; `problem` is the message for the user when it is not kana or
// has characters Shift-JIS lacks.
struct EnteredReading {
    std::string sjis;
    std::string problem;
};
[[nodiscard]] EnteredReading ReadingFromInput(std::string_view utf8);

// A line's units with each run whose reading differs between `before` and
// `after` cut again by the new reading: the run's first unit keeps its start,
// the new further morae share the time up to the next unit (or the end) when
// both are known, and are untimed otherwise.
[[nodiscard]] LineUnits ResplitReadings(const LineUnits& units, const RubyIndex& before,
                                        const RubyIndex& after, int lineTime);

// Writes the edited rows into the document as one step of the history
// ("ルビの編集"), re-cutting the lines' units where a reading changed.
void EditRuby(Document& document, const std::vector<RubyRow>& rows);

}  // namespace obrin
