#include "text/edited_sjis.h"

#include <algorithm>
#include <map>
#include <vector>

#include "base/sjis_codec.h"
#include "text/sjis_text.h"

namespace obrin {
namespace {

// One character of the original text: how the view shows it and its bytes.
struct Unit {
    std::string utf8;
    std::string sjis;
};

std::size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    return 2;
}

std::vector<std::string> SplitUtf8(std::string_view text) {
    std::vector<std::string> characters;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length =
            std::min(Utf8Length(static_cast<unsigned char>(text[pos])), text.size() - pos);
        characters.emplace_back(text.substr(pos, length));
        pos += length;
    }
    return characters;
}

std::vector<Unit> SplitSjis(std::string_view text) {
    std::vector<Unit> units;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = SjisCharLength(text, pos);
        std::string utf8 = SjisToUtf8(text.substr(pos, length));
        // A lead byte before a byte that cannot follow it shows as two
        // characters; keep the view's count of characters.
        if (length == 2 && SplitUtf8(utf8).size() != 1) {
            length = 1;
            utf8 = SjisToUtf8(text.substr(pos, 1));
        }
        units.push_back({std::move(utf8), std::string(text.substr(pos, length))});
        pos += length;
    }
    return units;
}

}  // namespace

std::string EncodeEditedText(std::string_view editedUtf8, std::string_view original) {
    if (!IsValidUtf8(editedUtf8)) return Utf8ToSjis(editedUtf8);  // throws, naming the cause
    const std::vector<Unit> before = SplitSjis(original);
    const std::vector<std::string> after = SplitUtf8(editedUtf8);

    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head].utf8 == after[head]) ++head;
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail].utf8 == after[after.size() - 1 - tail])
        ++tail;

    // The first form the original used for each character.
    std::map<std::string, std::string, std::less<>> formUsed;
    for (const Unit& unit : before) formUsed.emplace(unit.utf8, unit.sjis);

    std::string result;
    result.reserve(original.size() + 16);
    for (std::size_t i = 0; i < head; ++i) result += before[i].sjis;
    for (std::size_t i = head; i < after.size() - tail; ++i) {
        const auto used = formUsed.find(after[i]);
        result += used != formUsed.end() ? used->second : Utf8ToSjis(after[i]);
    }
    for (std::size_t i = before.size() - tail; i < before.size(); ++i) result += before[i].sjis;
    return result;
}

}  // namespace obrin
