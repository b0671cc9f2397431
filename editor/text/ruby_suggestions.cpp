#include "text/ruby_suggestions.h"

#include <mecab.h>

#include <string_view>
#include <unordered_set>

#include "base/sjis_codec.h"
#include "document/unit_split.h"

namespace obrin {
namespace {

// The reading field of an IPA dictionary entry ("名詞,…,読み,発音").
constexpr std::size_t kReadingField = 7;

std::string_view Field(std::string_view feature, std::size_t index) {
    for (std::size_t i = 0; i < index; ++i) {
        const std::size_t comma = feature.find(',');
        if (comma == std::string_view::npos) return {};
        feature.remove_prefix(comma + 1);
    }
    return feature.substr(0, feature.find(','));
}

// Katakana (U+30A1..U+30F3) to hiragana, in UTF-8; other characters stay
// (ヴ, ヵ and ヶ too: their hiragana have no Shift-JIS form).
std::string Hiragana(std::string_view katakana) {
    std::string text(katakana);
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) != 0xE3) continue;
        const unsigned code = (0x3u << 12) |
                              ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                              (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
        if (code < 0x30A1 || code > 0x30F3) continue;
        const unsigned hiragana = code - 0x60;
        text[i + 1] = static_cast<char>(0x80 | ((hiragana >> 6) & 0x3F));
        text[i + 2] = static_cast<char>(0x80 | (hiragana & 0x3F));
        i += 2;
    }
    return text;
}

std::string ToSjis(std::string_view utf8) {
    std::vector<char32_t> unmappable;
    try {
        return Utf8ToSjisReplacing(utf8, "?", unmappable);
    } catch (const SjisError&) {
        return {};
    }
}

bool IsKanji(std::string_view character) {
    return ClassifySjisChar(character) == SplitClass::Kanji;
}

// The kanji of a word and their reading: the kana the word is written with
// at its start and end taken off both. Empty when what is left is not all
// kanji or has no reading.
std::pair<std::string, std::string> KanjiReading(std::string_view surfaceUtf8,
                                                 std::string_view readingKatakana) {
    std::string surface = ToSjis(surfaceUtf8);
    std::string folded = ToSjis(Hiragana(surfaceUtf8));
    std::string reading = ToSjis(Hiragana(readingKatakana));
    if (surface.size() != folded.size() || reading.empty()) return {};
    // Leading kana.
    while (!surface.empty()) {
        const std::size_t size = SjisCharSize(folded, 0);
        if (IsKanji(std::string_view(folded).substr(0, size)) ||
            std::string_view(reading).substr(0, size) != std::string_view(folded).substr(0, size))
            break;
        surface.erase(0, size);
        folded.erase(0, size);
        reading.erase(0, size);
    }
    // Trailing kana: the last character of a Shift-JIS text is found from
    // its start.
    while (!surface.empty()) {
        std::size_t last = 0;
        for (std::size_t pos = 0; pos < folded.size(); pos += SjisCharSize(folded, pos)) last = pos;
        const std::string_view tail = std::string_view(folded).substr(last);
        if (IsKanji(tail) || !std::string_view(reading).ends_with(tail)) break;
        reading.erase(reading.size() - tail.size());
        surface.erase(last);
        folded.erase(last);
    }
    if (surface.empty() || reading.empty()) return {};
    for (std::size_t pos = 0; pos < surface.size(); pos += SjisCharSize(surface, pos))
        if (!IsKanji(std::string_view(surface).substr(pos, SjisCharSize(surface, pos)))) return {};
    return {surface, reading};
}

}  // namespace

struct RubySuggester::Tagger {
    mecab_t* mecab = nullptr;
    ~Tagger() {
        if (mecab) mecab_destroy(mecab);
    }
};

RubySuggester::RubySuggester(std::unique_ptr<Tagger> tagger) : tagger_(std::move(tagger)) {}
RubySuggester::~RubySuggester() = default;

std::unique_ptr<RubySuggester> RubySuggester::open(const std::string& mecabArguments) {
    auto tagger = std::make_unique<Tagger>();
    tagger->mecab = mecab_new2(mecabArguments.c_str());
    if (!tagger->mecab) return nullptr;
    return std::unique_ptr<RubySuggester>(new RubySuggester(std::move(tagger)));
}

RubyTable RubySuggester::suggest(const std::vector<std::string>& lines,
                                 const RubyTable& known) const {
    std::unordered_set<std::string> done;
    for (const RubyReading& reading : known) done.insert(reading.base);
    RubyTable suggested;
    for (const std::string& line : lines) {
        const std::string utf8 = SjisToUtf8(line);
        for (const mecab_node_t* node =
                 mecab_sparse_tonode2(tagger_->mecab, utf8.data(), utf8.size());
             node; node = node->next) {
            if (node->stat != MECAB_NOR_NODE) continue;
            const std::string_view reading = Field(node->feature, kReadingField);
            if (reading.empty() || reading == "*") continue;
            auto [base, kana] =
                KanjiReading(std::string_view(node->surface, node->length), reading);
            if (base.empty() || !done.insert(base).second) continue;
            RubyReading suggestion{.base = std::move(base)};
            for (std::string& mora : SplitMorae(kana))
                suggestion.morae.push_back({.text = std::move(mora), .start = kNoUnitTime});
            suggested.push_back(std::move(suggestion));
        }
    }
    return suggested;
}

std::function<const ReadingSource*()> DictionaryReadingsOnDemand() {
    struct Loaded {
        bool tried = false;
        std::unique_ptr<RubySuggester> suggester;
    };
    return [loaded = std::make_shared<Loaded>()]() -> const ReadingSource* {
        if (!loaded->tried) {
            loaded->tried = true;
            loaded->suggester = RubySuggester::open();
        }
        return loaded->suggester.get();
    };
}

}  // namespace obrin
