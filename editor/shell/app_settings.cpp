#include "shell/app_settings.h"

#include "base/ini_file.h"
#include "shell/app_settings_table.h"

namespace obrin {
namespace {

void ReadValue(const IniFile& ini, const std::string& section, const char* key,
               std::string& field) {
    field = ini.readString(section, key, field);
}
void ReadValue(const IniFile& ini, const std::string& section, const char* key, bool& field) {
    field = ini.readBool(section, key, field);
}
void ReadValue(const IniFile& ini, const std::string& section, const char* key, int& field) {
    field = ini.readInteger(section, key, field);
}
// The stored number may be any int; a key code keeps its low 16 bits.
void ReadValue(const IniFile& ini, const std::string& section, const char* key,
               std::uint16_t& field) {
    field = static_cast<std::uint16_t>(ini.readInteger(section, key, field));
}
void ReadValue(const IniFile& ini, const std::string& section, const char* key,
               TextEncoding& field) {
    field = EncodingFromName(ini.readString(section, key, "")).value_or(field);
}

void WriteValue(IniFile& ini, const std::string& section, const char* key,
                const std::string& field) {
    ini.writeString(section, key, field);
}
void WriteValue(IniFile& ini, const std::string& section, const char* key, bool field) {
    ini.writeBool(section, key, field);
}
void WriteValue(IniFile& ini, const std::string& section, const char* key, int field) {
    ini.writeInteger(section, key, field);
}
void WriteValue(IniFile& ini, const std::string& section, const char* key, std::uint16_t field) {
    ini.writeInteger(section, key, field);
}
void WriteValue(IniFile& ini, const std::string& section, const char* key, TextEncoding field) {
    ini.writeString(section, key, std::string(EncodingName(field)));
}

template <auto... Path>
void Read(const IniFile& ini, const std::string& section, const Setting<Path...>& setting,
          AppSettings& settings) {
    ReadValue(ini, section, setting.key, Setting<Path...>::Field::in(settings));
}

// Restoring radio items one after another: checking an item unchecks the
// others, unchecking it touches no other. What remains is the last item read
// as true, or none.
template <auto Member, std::size_t Items>
void Read(const IniFile& ini, const std::string& section,
          const RadioSetting<Member, Items>& setting, AppSettings& settings) {
    auto& field = RadioSetting<Member, Items>::Field::in(settings);
    decltype(setting.designed) last;
    for (const auto& [key, choice] : setting.items) {
        if (ini.readBool(section, key, field == choice)) last = choice;
    }
    field = last;
}

template <auto... Path>
void Write(IniFile& ini, const std::string& section, const Setting<Path...>& setting,
           const AppSettings& settings) {
    if (setting.saved) WriteValue(ini, section, setting.key, Setting<Path...>::Field::in(settings));
}

template <auto Member, std::size_t Items>
void Write(IniFile& ini, const std::string& section, const RadioSetting<Member, Items>& setting,
           const AppSettings& settings) {
    const auto& field = RadioSetting<Member, Items>::Field::in(settings);
    for (const auto& [key, choice] : setting.items) ini.writeBool(section, key, field == choice);
}

}  // namespace

AppSettings::AppSettings() {
    VisitAppSettings([this](const auto& setting) {
        std::remove_cvref_t<decltype(setting)>::Field::in(*this) = setting.designed;
    });
}

std::string FolderWithSeparator(const std::filesystem::path& folder) {
    std::string text = folder.string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

AppSettings DefaultAppSettings(const std::filesystem::path& programFolder) {
    AppSettings settings;
    settings.workFolder = FolderWithSeparator(programFolder);
    return settings;
}

AppSettings LoadAppSettings(const std::filesystem::path& iniPath, const std::string& section,
                            const std::filesystem::path& programFolder, std::error_code* error) {
    AppSettings settings = DefaultAppSettings(programFolder);
    IniFile ini;
    if (const std::error_code ec = ini.load(iniPath)) {
        // A folder on the way that is a file leaves no file to read either.
        if (error && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory)
            *error = ec;
        return settings;
    }
    VisitAppSettings([&](const auto& setting) { Read(ini, section, setting, settings); });
    // A blank work folder would put the temporary WAV in whatever folder the
    // editor was started from; a folder without the separator would glue the
    // file name onto the folder's name.
    settings.workFolder = settings.workFolder.empty() ? FolderWithSeparator(programFolder)
                                                      : FolderWithSeparator(settings.workFolder);
    return settings;
}

std::error_code SaveAppSettings(const std::filesystem::path& iniPath, const std::string& section,
                                const AppSettings& settings) {
    IniFile ini;
    if (const auto ec = ini.load(iniPath); ec && ec != std::errc::no_such_file_or_directory) {
        return ec;
    }
    VisitAppSettings([&](const auto& setting) { Write(ini, section, setting, settings); });
    return ini.save(iniPath);
}

}  // namespace obrin
