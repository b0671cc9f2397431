#include "shell/app_settings.h"

#include <initializer_list>
#include <utility>

#include "base/ini_file.h"

namespace obrin {
namespace {

// Restoring radio items one after another: checking an item unchecks the
// others, unchecking it touches no other. What remains is the last item read
// as true, or none.
template <typename Choice>
void ReadRadioGroup(const IniFile& ini, const std::string& section,
                    std::initializer_list<std::pair<const char*, Choice>> items,
                    std::optional<Choice>& field) {
    std::optional<Choice> last;
    for (const auto& [key, choice] : items) {
        if (ini.readBool(section, key, field == choice)) last = choice;
    }
    field = last;
}

template <typename Choice>
void WriteRadioGroup(IniFile& ini, const std::string& section,
                     std::initializer_list<std::pair<const char*, Choice>> items,
                     const std::optional<Choice>& field) {
    for (const auto& [key, choice] : items) ini.writeBool(section, key, field == choice);
}

// In the order the keys are read and written.
constexpr std::initializer_list<std::pair<const char*, SongInfoMode>> kSongInfoKeys = {
    {"mnuInfoAtMark.Checked", SongInfoMode::AtMark},
    {"mnuInfoFirst.Checked", SongInfoMode::First},
    {"mnuInfoNone.Checked", SongInfoMode::None},
    {"mnuKeyValue.Checked", SongInfoMode::KeyValue},
};
constexpr std::initializer_list<std::pair<const char*, ExistingLyrics>> kExistingLyricsKeys = {
    {"ly1", ExistingLyrics::OpenAutomatically},
    {"ly2", ExistingLyrics::Ask},
    {"ly3", ExistingLyrics::DoNothing},
};

}  // namespace

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

    readString("tempPath", s.workFolder);
    // A blank work folder would put the temporary WAV in whatever folder the
    // editor was started from; a folder without the separator would glue the
    // file name onto the folder's name.
    s.workFolder =
        s.workFolder.empty() ? FolderWithSeparator(programFolder) : FolderWithSeparator(s.workFolder);
    readString("panMark.Caption", s.markOffsetText);
    readBool("chkHosei.Checked", s.listEditMode);
    readBool("mnuStar.Checked", s.expandRepeats);
    readBool("mnuNullLine.Checked", s.dropRepeatedBlankLines);
    readBool("mnuInfo.Checked", s.importInfoLines);
    ReadRadioGroup(ini, section, kSongInfoKeys, s.songInfo);
    readBool("mnuRioViewBody.Checked", s.warnBodyDisplay);
    readBool("mnuRioViewRemote.Checked", s.warnRemoteDisplay);
    readBool("lastLine", s.appendBlankLastLine);
    readBool("mnuGrid", s.gridLines);
    readBool("mnuWaveform.Checked", s.showWaveform);
    readBool("mnuSnapOnset.Checked", s.snapMarksToOnsets);
    readBool("Tate", s.pasteVertical);
    readInteger("PasteForm.Width", s.pasteWindowWidth);
    readInteger("PasteForm.Height", s.pasteWindowHeight);
    readInteger("TateWidth", s.pasteSourceSize);
    readBool("mnuChkTerminate.Checked", s.confirmExit);
    ReadRadioGroup(ini, section, kExistingLyricsKeys, s.existingLyrics);
    readBool("N15.Checked", s.addEditedBy);
    readBool("I2.Checked", s.addTaggingBy);
    readString("author", s.author);
    readKey("Key-Mark", s.keyMark);
    readKey("Key-PrevCheck", s.keyPrevCheck);
    readKey("Key-PlayPause", s.keyPlayPause);
    readBool("mnuPlainURLEnabled.Checked", s.plainLyricsSourceEnabled);
    readString("plainURL", s.plainLyricsSource);
    readInteger("ListLyric.Width", s.listLyricWidth);
    readInteger("ListTime.Width", s.listTimeWidth);
    s.textEncoding =
        EncodingFromName(ini.readString(section, "TextEncoding", "")).value_or(TextEncoding::Auto);
    readBool("StdLrc.ShiftJis", s.standardLrc.shiftJis);
    readBool("StdLrc.Milliseconds", s.standardLrc.milliseconds);
    readBool("StdLrc.KeepUntimed", s.standardLrc.keepUntimed);
    readBool("StdLrc.CrLf", s.standardLrc.crlf);
    return s;
}

std::error_code SaveAppSettings(const std::filesystem::path& iniPath, const std::string& section,
                                const AppSettings& s) {
    IniFile ini;
    if (const auto ec = ini.load(iniPath); ec && ec != std::errc::no_such_file_or_directory) {
        return ec;
    }
    ini.writeString(section, "tempPath", s.workFolder);
    ini.writeString(section, "panMark.Caption", s.markOffsetText);
    ini.writeBool(section, "chkHosei.Checked", s.listEditMode);
    ini.writeBool(section, "mnuStar.Checked", s.expandRepeats);
    ini.writeBool(section, "mnuNullLine.Checked", s.dropRepeatedBlankLines);
    ini.writeBool(section, "mnuInfo.Checked", s.importInfoLines);
    WriteRadioGroup(ini, section, kSongInfoKeys, s.songInfo);
    ini.writeBool(section, "lastLine", s.appendBlankLastLine);
    ini.writeBool(section, "mnuGrid", s.gridLines);
    ini.writeBool(section, "mnuWaveform.Checked", s.showWaveform);
    ini.writeBool(section, "mnuSnapOnset.Checked", s.snapMarksToOnsets);
    ini.writeBool(section, "Tate", s.pasteVertical);
    ini.writeInteger(section, "PasteForm.Width", s.pasteWindowWidth);
    ini.writeInteger(section, "PasteForm.Height", s.pasteWindowHeight);
    ini.writeInteger(section, "TateWidth", s.pasteSourceSize);
    ini.writeBool(section, "mnuChkTerminate.Checked", s.confirmExit);
    WriteRadioGroup(ini, section, kExistingLyricsKeys, s.existingLyrics);
    ini.writeBool(section, "N15.Checked", s.addEditedBy);
    ini.writeBool(section, "I2.Checked", s.addTaggingBy);
    ini.writeString(section, "author", s.author);
    ini.writeInteger(section, "Key-Mark", s.keyMark);
    ini.writeInteger(section, "Key-PrevCheck", s.keyPrevCheck);
    ini.writeInteger(section, "Key-PlayPause", s.keyPlayPause);
    ini.writeBool(section, "mnuPlainURLEnabled.Checked", s.plainLyricsSourceEnabled);
    ini.writeString(section, "plainURL", s.plainLyricsSource);
    ini.writeInteger(section, "ListLyric.Width", s.listLyricWidth);
    ini.writeInteger(section, "ListTime.Width", s.listTimeWidth);
    ini.writeString(section, "TextEncoding", std::string(EncodingName(s.textEncoding)));
    ini.writeBool(section, "StdLrc.ShiftJis", s.standardLrc.shiftJis);
    ini.writeBool(section, "StdLrc.Milliseconds", s.standardLrc.milliseconds);
    ini.writeBool(section, "StdLrc.KeepUntimed", s.standardLrc.keepUntimed);
    ini.writeBool(section, "StdLrc.CrLf", s.standardLrc.crlf);
    return ini.save(iniPath);
}

}  // namespace obrin
