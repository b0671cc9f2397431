#pragma once

#include <string>
#include <vector>

#include "document/timing_units.h"

namespace obrin {

// Where suggested readings of kanji come from: MeCab's dictionary in the
// editor (RubySuggester), a table of readings in tests.
class ReadingSource {
  public:
    virtual ~ReadingSource() = default;

    // One reading per base (a word's kanji, without the kana it is written
    // with) met in the lines, in the order first met, for the bases that
    // `known` has no reading for. Lines and readings are Shift-JIS; each
    // reading is cut into morae, without times.
    [[nodiscard]] virtual RubyTable suggest(const std::vector<std::string>& lines,
                                            const RubyTable& known) const = 0;
};

}  // namespace obrin
