#include "shell/key_codes.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>

namespace obrin {

namespace {

constexpr std::pair<NamedKey, std::uint16_t> kNamedKeys[] = {
    {NamedKey::Backspace, 0x08}, {NamedKey::Tab, 0x09},
    {NamedKey::Clear, 0x0C},     {NamedKey::Enter, 0x0D},
    {NamedKey::Shift, 0x10},     {NamedKey::Control, 0x11},
    {NamedKey::Alt, 0x12},       {NamedKey::Pause, 0x13},
    {NamedKey::CapsLock, 0x14},  {NamedKey::HiraganaKatakana, 0x15},
    {NamedKey::Henkan, 0x1C},    {NamedKey::Muhenkan, 0x1D},
    {NamedKey::Escape, 0x1B},    {NamedKey::PageUp, 0x21},
    {NamedKey::PageDown, 0x22},  {NamedKey::End, 0x23},
    {NamedKey::Home, 0x24},      {NamedKey::Left, 0x25},
    {NamedKey::Up, 0x26},        {NamedKey::Right, 0x27},
    {NamedKey::Down, 0x28},      {NamedKey::PrintScreen, 0x2C},
    {NamedKey::Insert, 0x2D},    {NamedKey::Delete, 0x2E},
    {NamedKey::Meta, 0x5B},      {NamedKey::Menu, 0x5D},
    {NamedKey::NumLock, 0x90},   {NamedKey::ScrollLock, 0x91},
    {NamedKey::Eisu, 0xF0},      {NamedKey::ZenkakuHankaku, 0xF3},
};

// A physical key that carries a symbol or a digit. Where a JIS and a US
// keyboard print different symbols on the same key, the key has a row for
// each, the JIS one first; `characters` are what the layout gives the key
// with and without Shift, and a row without them fits any character.
struct PhysicalKey {
    std::uint32_t keycode;
    std::array<char32_t, 2> characters;
    std::uint16_t code;
    std::string_view name;
};

constexpr PhysicalKey kPhysicalKeys[] = {
    {10, {}, '1', "1"},
    {11, {}, '2', "2"},
    {12, {}, '3', "3"},
    {13, {}, '4', "4"},
    {14, {}, '5', "5"},
    {15, {}, '6', "6"},
    {16, {}, '7', "7"},
    {17, {}, '8', "8"},
    {18, {}, '9', "9"},
    {19, {}, '0', "0"},
    {20, {}, 0xBD, "-"},
    {21, {U'^', U'~'}, 0xDE, "^"},
    {21, {U'=', U'+'}, 0xBB, "="},
    {34, {U'@', U'`'}, 0xC0, "@"},
    {34, {U'[', U'{'}, 0xDB, "["},
    {35, {U'[', U'{'}, 0xDB, "["},
    {35, {U']', U'}'}, 0xDD, "]"},
    {47, {U';', U'+'}, 0xBB, ";"},
    {47, {U';', U':'}, 0xBA, ";"},
    {48, {U':', U'*'}, 0xBA, ":"},
    {48, {U'\'', U'"'}, 0xDE, "'"},
    {49, {}, 0xC0, "`"},
    {51, {U']', U'}'}, 0xDD, "]"},
    {51, {U'\\', U'|'}, 0xDC, "\\"},
    {59, {}, 0xBC, ","},
    {60, {}, 0xBE, "."},
    {61, {}, 0xBF, "/"},
    {97, {}, 0xE2, "ろ"},
    {132, {}, 0xDC, "¥"},
};

// Without a physical key: the symbols where a US keyboard has them, the
// shifted digits included.
constexpr std::pair<char32_t, std::uint16_t> kCharacters[] = {
    {U' ', 0x20}, {U';', 0xBA}, {U':', 0xBA}, {U'=', 0xBB}, {U'+', 0xBB},  {U',', 0xBC},
    {U'<', 0xBC}, {U'-', 0xBD}, {U'_', 0xBD}, {U'.', 0xBE}, {U'>', 0xBE},  {U'/', 0xBF},
    {U'?', 0xBF}, {U'`', 0xC0}, {U'~', 0xC0}, {U'[', 0xDB}, {U'{', 0xDB},  {U'\\', 0xDC},
    {U'|', 0xDC}, {U'¥', 0xDC}, {U']', 0xDD}, {U'}', 0xDD}, {U'\'', 0xDE}, {U'"', 0xDE},
    {U'!', '1'},  {U'@', '2'},  {U'#', '3'},  {U'$', '4'},  {U'%', '5'},   {U'^', '6'},
    {U'&', '7'},  {U'*', '8'},  {U'(', '9'},  {U')', '0'},
};

constexpr std::pair<char32_t, std::uint16_t> kKeypadCharacters[] = {
    {U'*', 0x6A}, {U'+', 0x6B}, {U'-', 0x6D}, {U'.', 0x6E}, {U'/', 0x6F},
};

// The names of stored codes, as a JIS keyboard prints them.
constexpr std::pair<std::uint16_t, std::string_view> kNames[] = {
    {0x08, "Backspace"},
    {0x09, "Tab"},
    {0x0C, "Clear"},
    {0x0D, "Enter"},
    {0x10, "Shift"},
    {0x11, "Ctrl"},
    {0x12, "Alt"},
    {0x13, "Pause"},
    {0x14, "CapsLock"},
    {0x15, "カタカナ/ひらがな"},
    {0x19, "半角/全角"},
    {0x1B, "Esc"},
    {0x1C, "変換"},
    {0x1D, "無変換"},
    {0x20, "Space"},
    {0x21, "PageUp"},
    {0x22, "PageDown"},
    {0x23, "End"},
    {0x24, "Home"},
    {0x25, "Left"},
    {0x26, "Up"},
    {0x27, "Right"},
    {0x28, "Down"},
    {0x2C, "PrintScreen"},
    {0x2D, "Insert"},
    {0x2E, "Delete"},
    {0x5B, "Win"},
    {0x5D, "Menu"},
    {0x6A, "Num *"},
    {0x6B, "Num +"},
    {0x6D, "Num -"},
    {0x6E, "Num ."},
    {0x6F, "Num /"},
    {0x90, "NumLock"},
    {0x91, "ScrollLock"},
    {0xBA, ":"},
    {0xBB, ";"},
    {0xBC, ","},
    {0xBD, "-"},
    {0xBE, "."},
    {0xBF, "/"},
    {0xC0, "@"},
    {0xDB, "["},
    {0xDC, "¥"},
    {0xDD, "]"},
    {0xDE, "^"},
    {0xE2, "ろ"},
    {0xF0, "英数"},
    {0xF1, "カタカナ/ひらがな"},
    {0xF2, "カタカナ/ひらがな"},
    {0xF3, "半角/全角"},
    {0xF4, "半角/全角"},
};

// The codes Windows also gives a key, with the one obrin stores for it:
// 半角/全角 alternates between two codes and is the Kanji key under an input
// method; カタカナ/ひらがな has a code for each of its modes.
constexpr std::pair<std::uint16_t, std::uint16_t> kSameKeys[] = {
    {0x19, 0xF3},
    {0xF4, 0xF3},
    {0xF1, 0x15},
    {0xF2, 0x15},
};

template <typename Table, typename Key>
auto Find(const Table& table, const Key& key) {
    using Value = std::remove_cvref_t<decltype(std::begin(table)->second)>;
    const auto it = std::find_if(std::begin(table), std::end(table),
                                 [&key](const auto& entry) { return entry.first == key; });
    return it == std::end(table) ? std::optional<Value>() : std::optional<Value>(it->second);
}

char32_t UpperAscii(char32_t c) {
    return c >= U'a' && c <= U'z' ? c - U'a' + U'A' : c;
}

std::uint16_t CanonicalCode(std::uint16_t code) {
    return Find(kSameKeys, code).value_or(code);
}

std::uint16_t CodeOf(const KeyPress& press) {
    if (press.named != NamedKey::None) return Find(kNamedKeys, press.named).value_or(0);
    if (press.functionKey >= 1 && press.functionKey <= 24) {
        return static_cast<std::uint16_t>(0x6F + press.functionKey);
    }
    const char32_t c = UpperAscii(press.character);
    if (press.keypad) {
        if (c >= U'0' && c <= U'9') return static_cast<std::uint16_t>(0x60 + (c - U'0'));
        if (const auto code = Find(kKeypadCharacters, c)) return *code;
    }
    if (c >= U'A' && c <= U'Z') return static_cast<std::uint16_t>(c);
    if (c >= U'0' && c <= U'9') return static_cast<std::uint16_t>(c);
    return Find(kCharacters, c).value_or(0);
}

}  // namespace

KeyIdentity IdentifyKey(const KeyPress& press) {
    const char32_t upper = UpperAscii(press.character);
    const bool letter = upper >= U'A' && upper <= U'Z';
    if (press.keycode != 0 && press.named == NamedKey::None && press.functionKey == 0 &&
        !press.keypad && !letter) {
        const PhysicalKey* first = nullptr;
        for (const PhysicalKey& key : kPhysicalKeys) {
            if (key.keycode != press.keycode) continue;
            if (!first) first = &key;
            if (key.characters == std::array<char32_t, 2>{} ||
                std::ranges::find(key.characters, press.character) != key.characters.end()) {
                return {key.code, std::string(key.name)};
            }
        }
        // Another layout puts its own symbols on the key, which then counts
        // as the key of its first row (the JIS one where there are two).
        if (first) return {first->code, std::string(first->name)};
    }
    const std::uint16_t code = CodeOf(press);
    return {code, VirtualKeyName(code)};
}

std::string VirtualKeyName(std::uint16_t code) {
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) {
        return std::string(1, static_cast<char>(code));
    }
    if (code >= 0x60 && code <= 0x69) return "Num " + std::to_string(code - 0x60);
    if (code >= 0x70 && code <= 0x87) return "F" + std::to_string(code - 0x6F);
    return std::string(Find(kNames, code).value_or(std::string_view()));
}

bool IsSameKey(std::uint16_t a, std::uint16_t b) {
    return CanonicalCode(a) == CanonicalCode(b);
}

}  // namespace obrin
