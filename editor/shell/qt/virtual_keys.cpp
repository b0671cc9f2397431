#include "shell/qt/virtual_keys.h"

#include <QKeyEvent>
#include <algorithm>
#include <iterator>
#include <utility>

namespace obrin {

namespace {

constexpr std::pair<int, NamedKey> kNamedKeys[] = {
    {Qt::Key_Backspace, NamedKey::Backspace},
    {Qt::Key_Tab, NamedKey::Tab},
    {Qt::Key_Backtab, NamedKey::Tab},
    {Qt::Key_Clear, NamedKey::Clear},
    {Qt::Key_Return, NamedKey::Enter},
    {Qt::Key_Enter, NamedKey::Enter},
    {Qt::Key_Shift, NamedKey::Shift},
    {Qt::Key_Control, NamedKey::Control},
    {Qt::Key_Alt, NamedKey::Alt},
    {Qt::Key_Pause, NamedKey::Pause},
    {Qt::Key_CapsLock, NamedKey::CapsLock},
    {Qt::Key_Escape, NamedKey::Escape},
    {Qt::Key_PageUp, NamedKey::PageUp},
    {Qt::Key_PageDown, NamedKey::PageDown},
    {Qt::Key_End, NamedKey::End},
    {Qt::Key_Home, NamedKey::Home},
    {Qt::Key_Left, NamedKey::Left},
    {Qt::Key_Up, NamedKey::Up},
    {Qt::Key_Right, NamedKey::Right},
    {Qt::Key_Down, NamedKey::Down},
    {Qt::Key_Print, NamedKey::PrintScreen},
    {Qt::Key_Insert, NamedKey::Insert},
    {Qt::Key_Delete, NamedKey::Delete},
    {Qt::Key_Meta, NamedKey::Meta},
    {Qt::Key_Menu, NamedKey::Menu},
    {Qt::Key_NumLock, NamedKey::NumLock},
    {Qt::Key_ScrollLock, NamedKey::ScrollLock},
    {Qt::Key_Henkan, NamedKey::Henkan},
    {Qt::Key_Muhenkan, NamedKey::Muhenkan},
    {Qt::Key_Hiragana_Katakana, NamedKey::HiraganaKatakana},
    {Qt::Key_Hiragana, NamedKey::HiraganaKatakana},
    {Qt::Key_Katakana, NamedKey::HiraganaKatakana},
    {Qt::Key_Zenkaku_Hankaku, NamedKey::ZenkakuHankaku},
    {Qt::Key_Zenkaku, NamedKey::ZenkakuHankaku},
    {Qt::Key_Hankaku, NamedKey::ZenkakuHankaku},
    {Qt::Key_Kanji, NamedKey::ZenkakuHankaku},
    {Qt::Key_Eisu_toggle, NamedKey::Eisu},
    {Qt::Key_Eisu_Shift, NamedKey::Eisu},
};

// Qt's codes below this are the Unicode characters the keys type.
constexpr int kFirstSpecialKey = 0x01000000;

}  // namespace

KeyPress KeyPressOf(const QKeyEvent& event) {
    const int key = event.key();
    KeyPress press{.keycode = event.nativeScanCode(),
                   .keypad = event.modifiers().testFlag(Qt::KeypadModifier)};
    if (key > 0 && key < kFirstSpecialKey) {
        press.character = static_cast<char32_t>(key);
    } else if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        press.functionKey = key - Qt::Key_F1 + 1;
    } else {
        const auto it = std::find_if(std::begin(kNamedKeys), std::end(kNamedKeys),
                                     [key](const auto& entry) { return entry.first == key; });
        if (it != std::end(kNamedKeys)) press.named = it->second;
    }
    return press;
}

std::uint16_t VirtualKeyOf(const QKeyEvent& event) {
    return IdentifyKey(KeyPressOf(event)).code;
}

}  // namespace obrin
