#pragma once

#include <cstddef>
#include <string>

#include "document/document.h"
#include "document/timing_units.h"

namespace obrin {

// What a click between two characters of a line did to its units.
enum class UnitCut {
    Split,    // the unit around the place became two; the second is untimed
    Joined,   // the two units the place separated became one
    Refused,  // nothing changed; the result says why
};

struct UnitCutResult {
    UnitCut cut = UnitCut::Refused;
    // Why a cut was refused (UTF-8), for the user; empty otherwise.
    std::string refusal{};
};

// Splits the unit that holds byte `at` of the units' joined text inside it,
// or joins the two units that meet there. Every other unit keeps its text
// and time; a joined unit keeps the first's time and takes the second's
// further morae. Refused at the text's ends, inside a Shift-JIS
// double-byte character, and inside a kanji run that has a reading (its
// morae belong to the whole run).
[[nodiscard]] UnitCutResult CutUnitsAt(LineUnits& units, std::size_t at);

// The cut as the user's command: on `line`'s own units or its default
// split, one step of the history ("単位の分割" or "単位の結合").
UnitCutResult CutLineUnitsAt(Document& document, int line, std::size_t at);

}  // namespace obrin
