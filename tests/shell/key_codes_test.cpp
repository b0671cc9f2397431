#include "shell/key_codes.h"

#include <gtest/gtest.h>

#include <string>

namespace obrin {
namespace {

// X11 keycodes of the physical keys (the kernel's key numbers + 8).
constexpr std::uint32_t kKey2 = 11, kMinus = 20, kEqual = 21, kAzertyA = 24, kLeftBrace = 34,
                        kRightBrace = 35, kSemicolon = 47, kApostrophe = 48, kGrave = 49,
                        kBackslash = 51, kCapsLock = 66, kRo = 97, kHenkan = 100,
                        kKatakanaHiragana = 101, kMuhenkan = 102, kYen = 132;

struct PressCase {
    const char* name;
    KeyPress press;
    std::uint16_t code;
    std::string keyName;
    // The key prints the name a stored code of it shows.
    bool namedAsStored;
};

class IdentifyKeyTest : public ::testing::TestWithParam<PressCase> {};

TEST_P(IdentifyKeyTest, CodeAndName) {
    const PressCase& c = GetParam();
    const KeyIdentity key = IdentifyKey(c.press);
    EXPECT_EQ(key.code, c.code);
    EXPECT_EQ(key.name, c.keyName);
    if (c.namedAsStored) {
        EXPECT_EQ(VirtualKeyName(key.code), c.keyName);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, IdentifyKeyTest,
    ::testing::Values(
        // What a JIS layout makes of the keys of a JIS keyboard.
        PressCase{"JisHenkan", {.keycode = kHenkan, .named = NamedKey::Henkan}, 0x1C, "変換", true},
        PressCase{"JisMuhenkan", {kMuhenkan, 0, NamedKey::Muhenkan}, 0x1D, "無変換", true},
        PressCase{"JisKana",
                  {kKatakanaHiragana, 0, NamedKey::HiraganaKatakana},
                  0x15,
                  "カタカナ/ひらがな",
                  true},
        PressCase{"JisZenkaku", {kGrave, 0, NamedKey::ZenkakuHankaku}, 0xF3, "半角/全角", true},
        PressCase{"JisEisu", {kCapsLock, 0, NamedKey::Eisu}, 0xF0, "英数", true},
        PressCase{"JisAt", {kLeftBrace, U'@'}, 0xC0, "@", true},
        PressCase{"JisBracketLeft", {kRightBrace, U'['}, 0xDB, "[", true},
        PressCase{"JisBracketRight", {kBackslash, U']'}, 0xDD, "]", true},
        PressCase{"JisColon", {kApostrophe, U':'}, 0xBA, ":", true},
        PressCase{"JisSemicolon", {kSemicolon, U';'}, 0xBB, ";", true},
        PressCase{"JisShiftSemicolon", {kSemicolon, U'+'}, 0xBB, ";", true},
        PressCase{"JisCaret", {kEqual, U'^'}, 0xDE, "^", true},
        PressCase{"JisYen", {kYen, U'\\'}, 0xDC, "¥", true},
        PressCase{"JisRo", {kRo, U'\\'}, 0xE2, "ろ", true},
        PressCase{"JisShiftRo", {kRo, U'_'}, 0xE2, "ろ", true},
        PressCase{"JisShift2IsThe2Key", {kKey2, U'"'}, '2', "2", true},
        PressCase{"JisShiftMinus", {kMinus, U'='}, 0xBD, "-", true},
        // The same keys under a US layout, named as they are printed there.
        PressCase{"UsEqual", {kEqual, U'='}, 0xBB, "=", false},
        PressCase{"UsApostrophe", {kApostrophe, U'\''}, 0xDE, "'", false},
        PressCase{"UsBracketLeft", {kLeftBrace, U'['}, 0xDB, "[", true},
        PressCase{"UsBackslash", {kBackslash, U'\\'}, 0xDC, "\\", false},
        PressCase{"UsGrave", {kGrave, U'`'}, 0xC0, "`", false},
        PressCase{"UsColon", {kSemicolon, U':'}, 0xBA, ";", false},
        // Letters by what the layout types, wherever the key is.
        PressCase{"AzertyA", {kAzertyA, U'a'}, 'A', "A", true},
        // Made-up presses without a physical key: by the character.
        PressCase{"MadeUpLetter", {.character = U'q'}, 'Q', "Q", true},
        PressCase{"MadeUpShiftedDigit", {.character = U'@'}, '2', "2", true},
        PressCase{"MadeUpYen", {.character = U'¥'}, 0xDC, "¥", true},
        PressCase{"Nothing", {}, 0, "", true}),
    [](const auto& info) { return std::string(info.param.name); });

struct NameCase {
    const char* name;
    std::uint16_t code;
    std::string keyName;
};

class VirtualKeyNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(VirtualKeyNameTest, AsAJisKeyboardPrintsIt) {
    EXPECT_EQ(VirtualKeyName(GetParam().code), GetParam().keyName);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, VirtualKeyNameTest,
    ::testing::Values(NameCase{"Space", 0x20, "Space"}, NameCase{"Letter", 'B', "B"},
                      NameCase{"Digit", '0', "0"}, NameCase{"KeypadDigit", 0x69, "Num 9"},
                      NameCase{"F1", 0x70, "F1"}, NameCase{"F24", 0x87, "F24"},
                      NameCase{"Ctrl", 0x11, "Ctrl"}, NameCase{"Return", 0x0D, "Enter"},
                      NameCase{"WindowsKanji", 0x19, "半角/全角"},
                      NameCase{"WindowsEnlw", 0xF4, "半角/全角"},
                      NameCase{"WindowsHiragana", 0xF2, "カタカナ/ひらがな"},
                      NameCase{"None", 0, ""}, NameCase{"Unknown", 0xFF, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IsSameKey, WindowsCodesOfOneKey) {
    EXPECT_TRUE(IsSameKey(0x19, 0xF3));
    EXPECT_TRUE(IsSameKey(0xF4, 0x19));
    EXPECT_TRUE(IsSameKey(0xF1, 0x15));
    EXPECT_TRUE(IsSameKey(0x15, 0xF2));
    EXPECT_TRUE(IsSameKey('M', 'M'));
    EXPECT_FALSE(IsSameKey(0x15, 0xF3));
    EXPECT_FALSE(IsSameKey(0xDC, 0xE2));
    EXPECT_FALSE(IsSameKey(0x1C, 0x1D));
}

}  // namespace
}  // namespace obrin
