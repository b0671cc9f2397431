#include "text/ruby_edit.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "base/sjis_codec.h"
#include "document/karaoke_units.h"

namespace obrin {
namespace {

bool IsKanjiAt(std::string_view text, std::size_t pos) {
    return ClassifySjisChar(text.substr(pos, SjisCharSize(text, pos))) == SplitClass::Kanji;
}

// Whether the bases cover every kanji of the run, each base matched whole
// where the one before it ends (the longest first, as RubyIndex matches).
bool Covered(std::string_view run, const std::vector<std::string_view>& basesLongestFirst) {
    std::size_t pos = 0;
    while (pos < run.size()) {
        const std::string_view rest = run.substr(pos);
        const auto base = std::find_if(basesLongestFirst.begin(), basesLongestFirst.end(),
                                       [rest](std::string_view b) { return rest.starts_with(b); });
        if (base == basesLongestFirst.end()) return false;
        pos += base->size();
    }
    return true;
}

std::vector<TimingUnit> Morae(std::string_view reading) {
    std::vector<TimingUnit> morae;
    for (std::string& mora : SplitMorae(reading))
        morae.push_back({.text = std::move(mora), .start = kNoUnitTime});
    return morae;
}

std::string ReadingOf(const RubyReading* reading) {
    return reading ? reading->reading() : "";
}

}  // namespace

std::vector<RubyRow> BuildRubyRows(const std::vector<std::string>& lyricTexts,
                                   const RubyTable& table, const ReadingSource* source) {
    std::vector<RubyRow> rows;
    std::unordered_set<std::string> bases;
    for (std::size_t i = 0; i < table.size(); ++i) {
        rows.push_back({.base = table[i].base,
                        .from = table[i].from,
                        .to = table[i].to,
                        .reading = table[i].reading(),
                        .entry = static_cast<int>(i)});
        bases.insert(table[i].base);
    }
    std::unordered_map<std::string, std::string> suggested;
    if (source) {
        for (const RubyReading& suggestion : source->suggest(lyricTexts, {})) {
            if (!suggested.emplace(suggestion.base, suggestion.reading()).second) continue;
            if (bases.insert(suggestion.base).second) rows.push_back({.base = suggestion.base});
        }
    }
    for (RubyRow& row : rows)
        if (const auto found = suggested.find(row.base); found != suggested.end())
            row.suggested = found->second;

    std::vector<std::string_view> longestFirst(bases.begin(), bases.end());
    std::sort(longestFirst.begin(), longestFirst.end(),
              [](std::string_view a, std::string_view b) { return a.size() > b.size(); });
    std::vector<RubyRow> uncovered;
    for (const std::string& text : lyricTexts) {
        const std::string_view view = text;
        std::size_t pos = 0;
        while (pos < view.size()) {
            if (!IsKanjiAt(view, pos)) {
                pos += SjisCharSize(view, pos);
                continue;
            }
            const std::size_t start = pos;
            while (pos < view.size() && IsKanjiAt(view, pos)) pos += SjisCharSize(view, pos);
            const std::string_view run = view.substr(start, pos - start);
            if (!Covered(run, longestFirst) && bases.insert(std::string(run)).second)
                uncovered.push_back({.base = std::string(run)});
        }
    }
    rows.insert(rows.end(), uncovered.begin(), uncovered.end());
    return rows;
}

void AcceptAllSuggestions(std::vector<RubyRow>& rows) {
    for (RubyRow& row : rows)
        if (!row.suggested.empty()) row.reading = row.suggested;
}

RubyTable ApplyRubyRows(const RubyTable& table, const std::vector<RubyRow>& rows) {
    RubyTable edited;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const RubyRow& row = rows[r];
        const bool known = row.entry >= 0 && static_cast<std::size_t>(row.entry) < table.size();
        if (row.reading.empty()) {
            if (!known) continue;
            const bool shadows =
                std::any_of(rows.begin() + static_cast<std::ptrdiff_t>(r) + 1, rows.end(),
                            [&row](const RubyRow& later) {
                                return later.base == row.base && !later.reading.empty();
                            });
            if (shadows) edited.push_back({.base = row.base, .from = row.from, .to = row.to});
            continue;
        }
        RubyReading reading{.base = row.base, .from = row.from, .to = row.to};
        const RubyReading* old = known ? &table[static_cast<std::size_t>(row.entry)] : nullptr;
        reading.morae = old && old->reading() == row.reading ? old->morae : Morae(row.reading);
        edited.push_back(std::move(reading));
    }
    return edited;
}

EnteredReading ReadingFromInput(std::string_view utf8) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!utf8.empty() && space(utf8.front())) utf8.remove_prefix(1);
    while (!utf8.empty() && space(utf8.back())) utf8.remove_suffix(1);
    EnteredReading entered;
    try {
        entered.sjis = Utf8ToSjis(utf8);
    } catch (const SjisError& error) {
        entered.sjis.clear();
        entered.problem =
            "読み「" + std::string(utf8) + "」にShift-JISにない文字があります\n" + error.what();
        return entered;
    }
    const std::string_view sjis = entered.sjis;
    for (std::size_t pos = 0; pos < sjis.size(); pos += SjisCharSize(sjis, pos)) {
        const SplitClass kind = ClassifySjisChar(sjis.substr(pos, SjisCharSize(sjis, pos)));
        if (kind != SplitClass::Kana && kind != SplitClass::SmallKana) {
            entered.problem = "読み「" + std::string(utf8) + "」はかなで入力してください";
            entered.sjis.clear();
            return entered;
        }
    }
    return entered;
}

LineUnits ResplitReadings(const LineUnits& units, const RubyIndex& before, const RubyIndex& after,
                          int lineTime) {
    const std::vector<TimingUnit>& old = units.units;
    LineUnits resplit{.units = {}, .end = units.end};
    std::size_t i = 0;
    while (i < old.size()) {
        std::size_t next = i + 1;
        while (next < old.size() && old[next].text.empty()) ++next;
        const std::string& text = old[i].text;
        const RubyReading* was = text.empty() ? nullptr : before.within(text, lineTime);
        const RubyReading* is = text.empty() ? nullptr : after.within(text, lineTime);
        if ((!was && !is) || ReadingOf(was) == ReadingOf(is)) {
            resplit.units.insert(resplit.units.end(), old.begin() + static_cast<std::ptrdiff_t>(i),
                                 old.begin() + static_cast<std::ptrdiff_t>(next));
            i = next;
            continue;
        }
        LineUnits run{.units = SplitIntoUnits(text, after, lineTime)};
        const int start = old[i].start;
        const int stop = next < old.size() ? old[next].start : units.end;
        if (start != kNoUnitTime && stop != kNoUnitTime && stop > start)
            SpreadUnits(run, start, stop);
        else
            for (std::size_t m = 0; m < run.units.size(); ++m)
                run.units[m].start = m == 0 ? start : kNoUnitTime;
        resplit.units.insert(resplit.units.end(), run.units.begin(), run.units.end());
        i = next;
    }
    return resplit;
}

void EditRuby(Document& document, const std::vector<RubyRow>& rows) {
    const UndoHistory::Step step = document.history.beginStep("ルビの編集");
    const RubyTable before = document.ruby();
    RubyTable after = ApplyRubyRows(before, rows);
    if (after == before) return;
    const RubyIndex beforeIndex(before);
    const RubyIndex afterIndex(after);
    LyricList& lyrics = document.lyrics;
    for (int i = 0; i < lyrics.count(); ++i) {
        const LyricLine& line = lyrics.line(i);
        if (line.units.units.empty()) continue;
        LineUnits units =
            ResplitReadings(line.units, beforeIndex, afterIndex, TimeTextCentis(line.timeText));
        if (units != line.units) lyrics.setUnits(i, std::move(units));
    }
    document.setRuby(std::move(after));
}

}  // namespace obrin
