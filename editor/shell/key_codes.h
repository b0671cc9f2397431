#pragma once

#include <cstdint>
#include <string>

namespace obrin {

// The keys that type no character, by what the keyboard layout makes of them.
enum class NamedKey : std::uint8_t {
    None,
    Backspace,
    Tab,
    Clear,
    Enter,
    Shift,
    Control,
    Alt,
    Pause,
    CapsLock,
    Escape,
    PageUp,
    PageDown,
    End,
    Home,
    Left,
    Up,
    Right,
    Down,
    PrintScreen,
    Insert,
    Delete,
    Meta,
    Menu,
    NumLock,
    ScrollLock,
    // The thumb keys and mode keys of a Japanese keyboard.
    Henkan,
    Muhenkan,
    HiraganaKatakana,
    ZenkakuHankaku,
    Eisu,
};

// A key press as the window system reports it.
struct KeyPress {
    // The X11 keycode of the physical key (the kernel's key number + 8); 0
    // when unknown, as for a press a program made up.
    std::uint32_t keycode = 0;
    // The character the layout gives the key with the modifiers held (a
    // letter in either case); 0 for a key that types none.
    char32_t character = 0;
    NamedKey named = NamedKey::None;
    // 1 to 24 for F1 to F24.
    int functionKey = 0;
    bool keypad = false;
};

// What obrin.ini stores for a key ("Key-Mark" and friends): the Windows
// virtual-key code, and the name printed on the key.
struct KeyIdentity {
    std::uint16_t code = 0;
    std::string name;  // UTF-8
};

// Letters by the character the layout gives them, as Windows names them.
// The digits and the symbol keys by the physical key, so that Shift+2 is
// the 2 key on any layout, and the keys that stand in different places on a
// JIS and a US keyboard by the layout the key's character shows; the one
// key whose character fits both (the semicolon key unshifted) counts as a
// JIS keyboard's. A press without a keycode falls back on its character as
// a US keyboard places it. Code 0 for a key with no virtual-key code.
[[nodiscard]] KeyIdentity IdentifyKey(const KeyPress& press);

// The name of a stored code as a JIS keyboard prints it ("Space", "B", "F5",
// "Num 3", "変換", "@", "¥", "ろ"), UTF-8. Empty for 0 and for codes no key of
// a common keyboard gives.
[[nodiscard]] std::string VirtualKeyName(std::uint16_t code);

// Whether two codes stand for the same key: Windows gives 半角/全角 and
// カタカナ/ひらがな more than one code, and any of them may be stored.
[[nodiscard]] bool IsSameKey(std::uint16_t a, std::uint16_t b);

}  // namespace obrin
