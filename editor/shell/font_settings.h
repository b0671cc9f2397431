#pragma once

#include <array>
#include <filesystem>
#include <system_error>

#include "base/dialogs.h"

namespace obrin {

// The four fonts that "font.ini" keeps, one section each.
enum class FontSlot { List, Info, Text, Paste };
inline constexpr std::array<FontSlot, 4> kFontSlots = {FontSlot::List, FontSlot::Info,
                                                       FontSlot::Text, FontSlot::Paste};

// "List", "Info", "Text" or "Paste".
[[nodiscard]] const char* FontSlotSection(FontSlot slot);

// The fonts of the four slots, indexed by FontSlot.
using FontSlotFonts = std::array<FontChoice, 4>;

[[nodiscard]] inline FontChoice& FontOf(FontSlotFonts& fonts, FontSlot slot) {
    return fonts[static_cast<std::size_t>(slot)];
}
[[nodiscard]] inline const FontChoice& FontOf(const FontSlotFonts& fonts, FontSlot slot) {
    return fonts[static_cast<std::size_t>(slot)];
}

// Applies what "font.ini" holds onto the designed fonts; without the file
// they stay as they are. Per slot: a "name" of "@" or no name keeps the face;
// "size" is applied only if above 0; "style" (bold 1, italic 2, underline 4,
// strike-out 8) replaces the style only if above 0, so a stored 0 keeps a
// bold design bold. Face names are written as UTF-8; a name that is not
// UTF-8 is read as Shift-JIS, as older files hold them. Returns why a file
// that is there could not be read; a missing file is no error.
std::error_code LoadFontSettings(const std::filesystem::path& fontIniPath, FontSlotFonts& fonts);

// Writes one slot's face, size and style, keeping the other slots.
[[nodiscard]] std::error_code SaveFontSlot(const std::filesystem::path& fontIniPath, FontSlot slot,
                                           const FontChoice& font);

}  // namespace obrin
