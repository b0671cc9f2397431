#include "shell/app_settings.h"

#include <initializer_list>

#include "base/ini_file.h"

namespace obrin {
namespace {

// Restoring radio items one after another: checking an item unchecks the
// others, unchecking it touches no other. What remains is the last item read
// as true, or none.
void KeepLastChecked(std::initializer_list<bool*> group) {
    bool* last = nullptr;
    for (bool* item : group) {
        if (*item) last = item;
    }
    for (bool* item : group) *item = item == last;
}

}  // namespace

std::string FolderWithSeparator(const std::filesystem::path& folder) {
    std::string text = folder.string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

AppSettings DefaultAppSettings(const std::filesystem::path& programFolder) {
    AppSettings settings;
    settings.tempPath = FolderWithSeparator(programFolder);
    return settings;
}

AppSettings LoadAppSettings(const std::filesystem::path& iniPath, const std::string& section,
                            const std::filesystem::path& programFolder) {
    AppSettings s = DefaultAppSettings(programFolder);
    IniFile ini;
    if (ini.load(iniPath)) return s;

    const auto readString = [&](const char* key, std::string& field) {
        field = ini.readString(section, key, field);
    };
    const auto readBool = [&](const char* key, bool& field) {
        field = ini.readBool(section, key, field);
    };
    const auto readInteger = [&](const char* key, int& field) {
        field = ini.readInteger(section, key, field);
    };
    // The stored number may be any int; a key code keeps its low 16 bits.
    const auto readKey = [&](const char* key, std::uint16_t& field) {
        field = static_cast<std::uint16_t>(ini.readInteger(section, key, field));
    };

    readString("tempPath", s.tempPath);
    // A blank work folder would put the temporary WAV in whatever folder the
    // editor was started from; a folder without the separator would glue the
    // file name onto the folder's name.
    s.tempPath =
        s.tempPath.empty() ? FolderWithSeparator(programFolder) : FolderWithSeparator(s.tempPath);
    readString("panMark.Caption", s.panMarkCaption);
    readBool("chkHosei.Checked", s.chkHosei);
    readBool("mnuStar.Checked", s.mnuStar);
    readBool("mnuNullLine.Checked", s.mnuNullLine);
    readBool("mnuInfo.Checked", s.mnuInfo);
    readBool("mnuInfoAtMark.Checked", s.mnuInfoAtMark);
    readBool("mnuInfoFirst.Checked", s.mnuInfoFirst);
    readBool("mnuInfoNone.Checked", s.mnuInfoNone);
    readBool("mnuKeyValue.Checked", s.mnuKeyValue);
    KeepLastChecked({&s.mnuInfoAtMark, &s.mnuInfoFirst, &s.mnuInfoNone, &s.mnuKeyValue});
    readBool("mnuRioViewBody.Checked", s.mnuRioViewBody);
    readBool("mnuRioViewRemote.Checked", s.mnuRioViewRemote);
    readBool("lastLine", s.lastLine);
    readBool("mnuGrid", s.mnuGrid);
    readBool("Tate", s.tate);
    readInteger("PasteForm.Width", s.pasteFormWidth);
    readInteger("PasteForm.Height", s.pasteFormHeight);
    readInteger("TateWidth", s.tateWidth);
    readBool("mnuChkTerminate.Checked", s.mnuChkTerminate);
    readBool("ly1", s.ly1);
    readBool("ly2", s.ly2);
    readBool("ly3", s.ly3);
    KeepLastChecked({&s.ly1, &s.ly2, &s.ly3});
    readBool("N15.Checked", s.n15);
    readBool("I2.Checked", s.i2);
    readString("author", s.author);
    readKey("Key-Mark", s.keyMark);
    readKey("Key-PrevCheck", s.keyPrevCheck);
    readKey("Key-PlayPause", s.keyPlayPause);
    readBool("mnuPlainURLEnabled.Checked", s.mnuPlainURLEnabled);
    readString("plainURL", s.plainURL);
    return s;
}

std::error_code SaveAppSettings(const std::filesystem::path& iniPath, const std::string& section,
                                const AppSettings& s) {
    IniFile ini;
    if (const auto ec = ini.load(iniPath); ec && ec != std::errc::no_such_file_or_directory) {
        return ec;
    }
    ini.writeString(section, "tempPath", s.tempPath);
    ini.writeString(section, "panMark.Caption", s.panMarkCaption);
    ini.writeBool(section, "chkHosei.Checked", s.chkHosei);
    ini.writeBool(section, "mnuStar.Checked", s.mnuStar);
    ini.writeBool(section, "mnuNullLine.Checked", s.mnuNullLine);
    ini.writeBool(section, "mnuInfo.Checked", s.mnuInfo);
    ini.writeBool(section, "mnuInfoAtMark.Checked", s.mnuInfoAtMark);
    ini.writeBool(section, "mnuInfoFirst.Checked", s.mnuInfoFirst);
    ini.writeBool(section, "mnuInfoNone.Checked", s.mnuInfoNone);
    ini.writeBool(section, "mnuKeyValue.Checked", s.mnuKeyValue);
    ini.writeBool(section, "lastLine", s.lastLine);
    ini.writeBool(section, "mnuGrid", s.mnuGrid);
    ini.writeBool(section, "Tate", s.tate);
    ini.writeInteger(section, "PasteForm.Width", s.pasteFormWidth);
    ini.writeInteger(section, "PasteForm.Height", s.pasteFormHeight);
    ini.writeInteger(section, "TateWidth", s.tateWidth);
    ini.writeBool(section, "mnuChkTerminate.Checked", s.mnuChkTerminate);
    ini.writeBool(section, "ly1", s.ly1);
    ini.writeBool(section, "ly2", s.ly2);
    ini.writeBool(section, "ly3", s.ly3);
    ini.writeBool(section, "N15.Checked", s.n15);
    ini.writeBool(section, "I2.Checked", s.i2);
    ini.writeString(section, "author", s.author);
    ini.writeInteger(section, "Key-Mark", s.keyMark);
    ini.writeInteger(section, "Key-PrevCheck", s.keyPrevCheck);
    ini.writeInteger(section, "Key-PlayPause", s.keyPlayPause);
    ini.writeBool(section, "mnuPlainURLEnabled.Checked", s.mnuPlainURLEnabled);
    ini.writeString(section, "plainURL", s.plainURL);
    return ini.save(iniPath);
}

}  // namespace obrin
