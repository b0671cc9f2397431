#include "shell/font_settings.h"

#include "base/ini_file.h"
#include "base/sjis_codec.h"

namespace obrin {
namespace {

constexpr int kStyleBits = 1 | 2 | 4 | 8;

void ApplySlot(const IniFile& ini, const char* section, FontChoice& font) {
    const std::string name = ini.readString(section, "name", "@");
    if (name != "@" && !name.empty()) font.face = IsValidUtf8(name) ? name : SjisToUtf8(name);
    if (const int size = ini.readInteger(section, "size", -1); size > 0) font.pointSize = size;
    if (const int style = ini.readInteger(section, "style", -1); style > 0) {
        font.style = style & kStyleBits;
    }
}

}  // namespace

const char* FontSlotSection(FontSlot slot) {
    switch (slot) {
        case FontSlot::List:
            return "List";
        case FontSlot::Info:
            return "Info";
        case FontSlot::Text:
            return "Text";
        case FontSlot::Paste:
            return "Paste";
    }
    return "List";
}

std::error_code LoadFontSettings(const std::filesystem::path& fontIniPath, FontSlotFonts& fonts) {
    IniFile ini;
    if (const std::error_code ec = ini.load(fontIniPath)) {
        if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory)
            return {};
        return ec;
    }
    for (const FontSlot slot : kFontSlots)
        ApplySlot(ini, FontSlotSection(slot), FontOf(fonts, slot));
    return {};
}

std::error_code SaveFontSlot(const std::filesystem::path& fontIniPath, FontSlot slot,
                             const FontChoice& font) {
    IniFile ini;
    if (const auto ec = ini.load(fontIniPath); ec && ec != std::errc::no_such_file_or_directory) {
        return ec;
    }
    const char* section = FontSlotSection(slot);
    ini.writeString(section, "name", font.face);
    ini.writeInteger(section, "size", font.pointSize);
    ini.writeInteger(section, "style", font.style & kStyleBits);
    return ini.save(fontIniPath);
}

}  // namespace obrin
