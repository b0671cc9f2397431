#include "document/unit_cut.h"

#include "document/karaoke_units.h"
#include "document/unit_split.h"

namespace obrin {

namespace {

constexpr const char* kAtTheEnds = "行の端では分割も結合もできません";
constexpr const char* kInsideCharacter = "文字の途中では分割できません";
constexpr const char* kInsideReading = "読みの付いた漢字の途中では分割できません";

UnitCutResult Refuse(const char* why) {
    return {.cut = UnitCut::Refused, .refusal = why};
}

}  // namespace

UnitCutResult CutUnitsAt(LineUnits& units, std::size_t at) {
    std::vector<TimingUnit>& list = units.units;
    std::size_t offset = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string& text = list[i].text;
        if (text.empty()) continue;
        if (offset == at) {
            if (i == 0) return Refuse(kAtTheEnds);
            // The unit before holds the text; further morae may follow it.
            std::size_t first = i - 1;
            while (list[first].text.empty() && first > 0) --first;
            list[first].text += text;
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            return {.cut = UnitCut::Joined};
        }
        if (at > offset && at < offset + text.size()) {
            std::size_t pos = 0;
            while (pos < at - offset) pos += SjisCharSize(text, pos);
            if (pos != at - offset) return Refuse(kInsideCharacter);
            if (i + 1 < list.size() && list[i + 1].text.empty()) return Refuse(kInsideReading);
            TimingUnit second{.text = text.substr(pos), .start = kNoUnitTime};
            list[i].text.resize(pos);
            list.insert(list.begin() + static_cast<std::ptrdiff_t>(i + 1), std::move(second));
            return {.cut = UnitCut::Split};
        }
        offset += text.size();
    }
    return Refuse(kAtTheEnds);
}

UnitCutResult CutLineUnitsAt(Document& document, int line, std::size_t at) {
    LyricList& lyrics = document.lyrics;
    if (line < 0 || line >= lyrics.count()) return Refuse(kAtTheEnds);
    LineUnits units = UnitsOf(lyrics.line(line), RubyIndex(document.ruby()));
    const UnitCutResult result = CutUnitsAt(units, at);
    if (result.cut == UnitCut::Refused) return result;
    const UndoHistory::Step step =
        document.history.beginStep(result.cut == UnitCut::Split ? "単位の分割" : "単位の結合");
    lyrics.setUnits(line, std::move(units));
    return result;
}

}  // namespace obrin
