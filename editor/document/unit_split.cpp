#include "document/unit_split.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <set>

#include "base/sjis_codec.h"

namespace obrin {
namespace {

bool IsSmallKana(unsigned code) {
    switch (code) {
        case 0x829F:
        case 0x82A1:
        case 0x82A3:
        case 0x82A5:
        case 0x82A7:  // ぁぃぅぇぉ
        case 0x82E1:
        case 0x82E3:
        case 0x82E5:
        case 0x82EC:  // ゃゅょゎ
        case 0x8340:
        case 0x8342:
        case 0x8344:
        case 0x8346:
        case 0x8348:  // ァィゥェォ
        case 0x8383:
        case 0x8385:
        case 0x8387:
        case 0x838E:  // ャュョヮ
            return true;
        default:
            return false;
    }
}

SplitClass ClassifySingleByte(unsigned char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
        return SplitClass::WordChar;
    if (c == '\'') return SplitClass::Apostrophe;
    if (c < 0x80) return SplitClass::Joiner;
    // Half-width katakana: ｧ to ｮ are small, ﾞ and ﾟ mark the kana before.
    if ((c >= 0xA7 && c <= 0xAE) || c == 0xDE || c == 0xDF) return SplitClass::SmallKana;
    if (c >= 0xA1 && c <= 0xA5) return SplitClass::Joiner;
    if (c >= 0xA6 && c <= 0xDD) return SplitClass::Kana;
    return SplitClass::Other;
}

SplitClass ClassifyDoubleByte(unsigned code) {
    if (code >= 0x829F && code <= 0x82F1)
        return IsSmallKana(code) ? SplitClass::SmallKana : SplitClass::Kana;
    if (code >= 0x8340 && code <= 0x8396)
        return IsSmallKana(code) ? SplitClass::SmallKana : SplitClass::Kana;
    if (code == 0x815B || (code >= 0x8152 && code <= 0x8155))
        return SplitClass::Kana;                                     // ー ヽヾゝゞ
    if (code >= 0x8158 && code <= 0x815A) return SplitClass::Kanji;  // 々 〆 〇
    if ((code >= 0x824F && code <= 0x8258) || (code >= 0x8260 && code <= 0x8279) ||
        (code >= 0x8281 && code <= 0x829A))
        return SplitClass::WordChar;
    if (code == 0x8166 || code == 0xFA56 || code == 0xEEFC) return SplitClass::Apostrophe;
    const unsigned lead = code >> 8;
    if (lead == 0x81 || lead == 0x84 || (code >= 0xFA40 && code <= 0xFA5B) ||
        (code >= 0xEEEF && code <= 0xEEFC))
        return SplitClass::Joiner;
    if ((code >= 0x889F && code <= 0x9FFC) || (lead >= 0xE0 && lead <= 0xEA) || lead == 0xED ||
        lead == 0xEE || (lead >= 0xFA && lead <= 0xFC))
        return SplitClass::Kanji;
    return SplitClass::Other;
}

bool IsVowel(std::string_view character) {
    if (character.size() == 1)
        return std::string_view("aeiouAEIOU").find(character[0]) != std::string_view::npos;
    const unsigned code =
        (static_cast<unsigned char>(character[0]) << 8) | static_cast<unsigned char>(character[1]);
    for (const unsigned vowel :
         {0x8281u, 0x8285u, 0x8289u, 0x828Fu, 0x8295u, 0x8260u, 0x8264u, 0x8268u, 0x826Eu, 0x8274u})
        if (code == vowel) return true;
    return false;
}

}  // namespace

std::size_t SjisCharSize(std::string_view text, std::size_t pos) {
    return IsSjisLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

SplitClass ClassifySjisChar(std::string_view character) {
    if (character.empty()) return SplitClass::Other;
    if (character.size() == 1) return ClassifySingleByte(static_cast<unsigned char>(character[0]));
    return ClassifyDoubleByte((static_cast<unsigned char>(character[0]) << 8) |
                              static_cast<unsigned char>(character[1]));
}

std::string RubyReading::reading() const {
    return JoinedText(morae);
}

bool RubyReading::appliesAt(int time) const {
    if (from != kNoUnitTime && (time == kNoUnitTime || time < from)) return false;
    return to == kNoUnitTime || (time != kNoUnitTime && time < to);
}

bool LineUnits::timed() const {
    if (end != kNoUnitTime) return true;
    return std::any_of(units.begin() + std::min<std::size_t>(units.size(), 1), units.end(),
                       [](const TimingUnit& unit) { return unit.start != kNoUnitTime; });
}

RubyIndex::RubyIndex(const RubyTable& table) {
    std::set<std::size_t, std::greater<>> lengths;
    for (const RubyReading& reading : table) {
        if (reading.base.empty()) continue;
        byBase_[reading.base].push_back(&reading);
        lengths.insert(reading.base.size());
    }
    lengths_.assign(lengths.begin(), lengths.end());
}

const RubyReading* RubyIndex::find(std::string_view base, int lineTime) const {
    const auto found = byBase_.find(base);
    if (found == byBase_.end()) return nullptr;
    for (const RubyReading* reading : found->second)
        if (reading->appliesAt(lineTime)) return reading;
    return nullptr;
}

const RubyReading* RubyIndex::match(std::string_view text, std::size_t pos, int lineTime) const {
    for (const std::size_t length : lengths_) {
        if (length > text.size() - pos) continue;
        const RubyReading* reading = find(text.substr(pos, length), lineTime);
        if (reading && !reading->morae.empty()) return reading;
    }
    return nullptr;
}

const RubyReading* RubyIndex::within(std::string_view text, int lineTime) const {
    for (std::size_t pos = 0; pos < text.size(); pos += SjisCharSize(text, pos)) {
        if (ClassifySjisChar(text.substr(pos, SjisCharSize(text, pos))) != SplitClass::Kanji)
            continue;
        if (const RubyReading* reading = match(text, pos, lineTime)) return reading;
    }
    return nullptr;
}

std::vector<TimingUnit> SplitIntoUnits(std::string_view text, const RubyIndex& ruby, int lineTime) {
    std::vector<TimingUnit> units;
    std::string leading;  // spaces and punctuation before the first unit
    // The unit that text joins: the last that holds text (a reading's further
    // morae hold none).
    std::size_t joinTo = 0;
    const auto start = [&](std::string_view piece) {
        units.push_back({leading + std::string(piece)});
        leading.clear();
        joinTo = units.size() - 1;
    };
    const auto join = [&](std::string_view piece) {
        if (units.empty()) {
            leading.append(piece);
        } else {
            units[joinTo].text.append(piece);
        }
    };
    bool inWord = false;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t size = SjisCharSize(text, pos);
        const std::string_view character = text.substr(pos, size);
        const SplitClass kind = ClassifySjisChar(character);
        switch (kind) {
            case SplitClass::Kanji:
                if (const RubyReading* reading = ruby.match(text, pos, lineTime)) {
                    start(reading->base);
                    units.resize(units.size() + reading->morae.size() - 1);
                    pos += reading->base.size();
                    inWord = false;
                    continue;
                }
                start(character);
                break;
            case SplitClass::Kana:
            case SplitClass::Other:
                start(character);
                break;
            case SplitClass::SmallKana:
                if (units.empty()) {
                    start(character);
                } else {
                    join(character);
                }
                break;
            case SplitClass::WordChar:
                if (inWord) {
                    join(character);
                } else {
                    start(character);
                }
                break;
            case SplitClass::Apostrophe: {
                const std::size_t next = pos + size;
                const bool inside = inWord && next < text.size() &&
                                    ClassifySjisChar(text.substr(next, SjisCharSize(text, next))) ==
                                        SplitClass::WordChar;
                join(character);
                pos = next;
                inWord = inside;
                continue;
            }
            case SplitClass::Joiner:
                join(character);
                break;
        }
        inWord = kind == SplitClass::WordChar;
        pos += size;
    }
    if (!leading.empty()) units.push_back({leading});
    return units;
}

std::vector<std::string> SplitMorae(std::string_view kana) {
    std::vector<std::string> morae;
    for (TimingUnit& unit : SplitIntoUnits(kana)) morae.push_back(std::move(unit.text));
    return morae;
}

int UnitMorae(const TimingUnit& unit) {
    int morae = 0;
    bool word = false;
    bool previousVowel = false;
    const std::string_view text = unit.text;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t size = SjisCharSize(text, pos);
        const std::string_view character = text.substr(pos, size);
        if (ClassifySjisChar(character) == SplitClass::WordChar) {
            word = true;
            const bool vowel = IsVowel(character);
            const bool digit = size == 1 ? (character[0] >= '0' && character[0] <= '9')
                                         : (static_cast<unsigned char>(character[0]) == 0x82 &&
                                            static_cast<unsigned char>(character[1]) <= 0x58);
            if (digit || (vowel && !previousVowel)) ++morae;
            previousVowel = vowel;
        } else {
            previousVowel = false;
        }
        pos += size;
    }
    return word ? std::max(morae, 1) : 1;
}

int TimeTextCentis(std::string_view timeText) {
    const std::size_t colon = timeText.find(':');
    if (colon == std::string_view::npos || colon < 2 || colon > 7 || timeText.size() != colon + 6 ||
        timeText[colon + 3] != ':')
        return kNoUnitTime;
    std::int64_t value = 0;
    for (std::size_t i = 0; i < timeText.size(); ++i) {
        if (i == colon || i == colon + 3) continue;
        if (timeText[i] < '0' || timeText[i] > '9') return kNoUnitTime;
    }
    for (std::size_t i = 0; i < colon; ++i) value = value * 10 + (timeText[i] - '0');
    const auto pair = [&](std::size_t at) {
        return (timeText[at] - '0') * 10 + (timeText[at + 1] - '0');
    };
    value = (value * 60 + pair(colon + 1)) * 100 + pair(colon + 4);
    return value > std::numeric_limits<std::int32_t>::max() / 10 ? kNoUnitTime
                                                                 : static_cast<int>(value);
}

LineUnits KeepUnchangedUnits(const LineUnits& old, std::string_view text) {
    // Groups: a unit with the further morae of its reading after it.
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < old.units.size(); ++i)
        if (i == 0 || !old.units[i].text.empty()) starts.push_back(i);
    const std::size_t groups = starts.size();
    std::size_t kept = 0;
    std::size_t prefix = 0;
    while (kept < groups) {
        const std::string& piece = old.units[starts[kept]].text;
        if (text.substr(prefix, piece.size()) != piece) break;
        prefix += piece.size();
        ++kept;
    }
    std::size_t firstOfEnd = groups;
    std::size_t suffix = 0;
    while (firstOfEnd > kept) {
        const std::string& piece = old.units[starts[firstOfEnd - 1]].text;
        if (prefix + suffix + piece.size() > text.size() ||
            text.substr(text.size() - suffix - piece.size(), piece.size()) != piece)
            break;
        suffix += piece.size();
        --firstOfEnd;
    }
    LineUnits units;
    units.units.assign(old.units.begin(),
                       old.units.begin() + static_cast<std::ptrdiff_t>(
                                               kept < groups ? starts[kept] : old.units.size()));
    for (TimingUnit& unit : SplitIntoUnits(text.substr(prefix, text.size() - prefix - suffix)))
        units.units.push_back(std::move(unit));
    if (firstOfEnd < groups)
        units.units.insert(units.units.end(),
                           old.units.begin() + static_cast<std::ptrdiff_t>(starts[firstOfEnd]),
                           old.units.end());
    if (firstOfEnd < groups || (kept == groups && prefix == text.size())) units.end = old.end;
    if (!units.timed()) return {};
    return units;
}

void MoveUnits(LineUnits& units, int from, int to) {
    const bool known = from != kNoUnitTime && to != kNoUnitTime;
    const auto move = [&](int& time) {
        if (time != kNoUnitTime && known) time = std::max(0, time + (to - from));
    };
    for (TimingUnit& unit : units.units) move(unit.start);
    move(units.end);
    if (!units.units.empty()) units.units.front().start = to;
}

std::string JoinedText(const std::vector<TimingUnit>& units) {
    std::string text;
    for (const TimingUnit& unit : units) text += unit.text;
    return text;
}

}  // namespace obrin
