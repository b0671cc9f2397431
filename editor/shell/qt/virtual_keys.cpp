#include "shell/qt/virtual_keys.h"

#include <QKeyEvent>
#include <algorithm>
#include <iterator>
#include <utility>

namespace obrin {

namespace {

constexpr std::pair<int, std::uint16_t> kKeys[] = {
    {Qt::Key_Backspace, 0x08},
    {Qt::Key_Tab, 0x09},
    {Qt::Key_Backtab, 0x09},
    {Qt::Key_Clear, 0x0C},
    {Qt::Key_Return, 0x0D},
    {Qt::Key_Enter, 0x0D},
    {Qt::Key_Shift, 0x10},
    {Qt::Key_Control, 0x11},
    {Qt::Key_Alt, 0x12},
    {Qt::Key_Pause, 0x13},
    {Qt::Key_CapsLock, 0x14},
    {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},
    {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},
    {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},
    {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},
    {Qt::Key_Print, 0x2C},
    {Qt::Key_Insert, 0x2D},
    {Qt::Key_Delete, 0x2E},
    {Qt::Key_Meta, 0x5B},
    {Qt::Key_Menu, 0x5D},
    {Qt::Key_NumLock, 0x90},
    {Qt::Key_ScrollLock, 0x91},
    // Symbols of the main block, by the key that carries them on a US layout.
    {Qt::Key_Semicolon, 0xBA},
    {Qt::Key_Colon, 0xBA},
    {Qt::Key_Equal, 0xBB},
    {Qt::Key_Plus, 0xBB},
    {Qt::Key_Comma, 0xBC},
    {Qt::Key_Less, 0xBC},
    {Qt::Key_Minus, 0xBD},
    {Qt::Key_Underscore, 0xBD},
    {Qt::Key_Period, 0xBE},
    {Qt::Key_Greater, 0xBE},
    {Qt::Key_Slash, 0xBF},
    {Qt::Key_Question, 0xBF},
    {Qt::Key_QuoteLeft, 0xC0},
    {Qt::Key_AsciiTilde, 0xC0},
    {Qt::Key_BracketLeft, 0xDB},
    {Qt::Key_BraceLeft, 0xDB},
    {Qt::Key_Backslash, 0xDC},
    {Qt::Key_Bar, 0xDC},
    {Qt::Key_BracketRight, 0xDD},
    {Qt::Key_BraceRight, 0xDD},
    {Qt::Key_Apostrophe, 0xDE},
    {Qt::Key_QuoteDbl, 0xDE},
    {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
};

constexpr std::pair<int, std::uint16_t> kKeypadKeys[] = {
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B},  {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E},   {Qt::Key_Slash, 0x6F}, {Qt::Key_Enter, 0x0D},
};

constexpr std::pair<std::uint16_t, const char*> kNames[] = {
    {0x08, "Backspace"}, {0x09, "Tab"},     {0x0C, "Clear"},      {0x0D, "Enter"},
    {0x10, "Shift"},     {0x11, "Ctrl"},    {0x12, "Alt"},        {0x13, "Pause"},
    {0x14, "CapsLock"},  {0x1B, "Esc"},     {0x20, "Space"},      {0x21, "PageUp"},
    {0x22, "PageDown"},  {0x23, "End"},     {0x24, "Home"},       {0x25, "Left"},
    {0x26, "Up"},        {0x27, "Right"},   {0x28, "Down"},       {0x2C, "PrintScreen"},
    {0x2D, "Insert"},    {0x2E, "Delete"},  {0x5B, "Win"},        {0x5D, "Menu"},
    {0x6A, "Num *"},     {0x6B, "Num +"},   {0x6D, "Num -"},      {0x6E, "Num ."},
    {0x6F, "Num /"},     {0x90, "NumLock"}, {0x91, "ScrollLock"}, {0xBA, ";"},
    {0xBB, "="},         {0xBC, ","},       {0xBD, "-"},          {0xBE, "."},
    {0xBF, "/"},         {0xC0, "`"},       {0xDB, "["},          {0xDC, "\\"},
    {0xDD, "]"},         {0xDE, "'"},
};

std::uint16_t Lookup(const auto& table, int key) {
    const auto it = std::find_if(std::begin(table), std::end(table),
                                 [key](const auto& entry) { return entry.first == key; });
    return it == std::end(table) ? 0 : it->second;
}

}  // namespace

std::uint16_t VirtualKeyOf(const QKeyEvent& event) {
    const int key = event.key();
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return static_cast<std::uint16_t>(keypad ? 0x60 + (key - Qt::Key_0) : key);
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<std::uint16_t>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        return static_cast<std::uint16_t>(0x70 + (key - Qt::Key_F1));
    }
    if (keypad) {
        if (const std::uint16_t code = Lookup(kKeypadKeys, key)) return code;
    }
    return Lookup(kKeys, key);
}

QString VirtualKeyName(std::uint16_t code) {
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) return QChar(code);
    if (code >= 0x60 && code <= 0x69) return QStringLiteral("Num %1").arg(code - 0x60);
    if (code >= 0x70 && code <= 0x87) return QStringLiteral("F%1").arg(code - 0x6F);
    const auto it = std::find_if(std::begin(kNames), std::end(kNames),
                                 [code](const auto& entry) { return entry.first == code; });
    return it == std::end(kNames) ? QString() : QString::fromLatin1(it->second);
}

}  // namespace obrin
