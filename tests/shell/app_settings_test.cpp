#include "shell/app_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>

#include "base/ini_file.h"
#include "shell/app_settings_table.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

const std::filesystem::path kProgramFolder = "/opt/obrin";

AppSettings LoadFrom(const TempFolder& folder, const std::string& userSection) {
    WriteBytes(folder / "obrin.ini", "[user]\r\n" + userSection);
    return LoadAppSettings(folder / "obrin.ini", "user", kProgramFolder);
}

TEST(AppSettings, NoFileGivesTheDesignedStates) {
    TempFolder folder;
    const AppSettings s = LoadAppSettings(folder / "obrin.ini", "user", kProgramFolder);

    EXPECT_EQ(s, DefaultAppSettings(kProgramFolder));
    EXPECT_EQ(s.workFolder, "/opt/obrin/");
    EXPECT_EQ(s.markOffsetText, "-1.0");
    // Keys of the same place and code on JIS and US keyboards: Space,
    // Backspace, Enter.
    EXPECT_EQ(s.keyMark, 0x20);
    EXPECT_EQ(s.keyPrevCheck, 0x08);
    EXPECT_EQ(s.keyPlayPause, 0x0D);
    EXPECT_EQ(s.existingLyrics, ExistingLyrics::Ask);
    EXPECT_EQ(s.songInfo, SongInfoMode::AtMark);
    EXPECT_EQ(s.pasteWindowWidth, 570);
    EXPECT_EQ(s.pasteWindowHeight, 516);
    EXPECT_EQ(s.pasteSourceSize, 213);
    // The waveform shows; marks stay where they were pressed.
    EXPECT_TRUE(s.showWaveform);
    EXPECT_FALSE(s.snapMarksToOnsets);
    // The calibration not offered yet; the batch's lists on the first drive.
    EXPECT_FALSE(s.calibrationOffered);
    EXPECT_EQ(s.batchSourceFolder, "");
    EXPECT_EQ(s.batchOutputFolder, "");
}

TEST(AppSettings, OtherUsersSectionOnlyGivesDefaults) {
    TempFolder folder;
    WriteBytes(folder / "obrin.ini", "[someone]\r\nmnuStar.Checked=0\r\nKey-Mark=13\r\n");
    EXPECT_EQ(LoadAppSettings(folder / "obrin.ini", "user", kProgramFolder),
              DefaultAppSettings(kProgramFolder));
}

AppSettings Changed() {
    AppSettings s = DefaultAppSettings(kProgramFolder);
    s.workFolder = "/var/tmp/work/";
    s.markOffsetText = "+0.5";
    s.author = "\x83\x5C\x83\x74\x83\x67";  // ソフト: trail byte 5C
    s.plainLyricsSource = "http://example.com/a?b=c;d";
    s.listEditMode = true;
    s.expandRepeats = false;
    s.dropRepeatedBlankLines = false;
    s.importInfoLines = false;
    s.songInfo = SongInfoMode::KeyValue;
    s.appendBlankLastLine = false;
    s.gridLines = false;
    s.showWaveform = false;
    s.snapMarksToOnsets = true;
    s.pasteVertical = false;
    s.confirmExit = false;
    s.existingLyrics = ExistingLyrics::DoNothing;
    s.addEditedBy = true;
    s.addTaggingBy = true;
    s.plainLyricsSourceEnabled = true;
    s.pasteWindowWidth = 800;
    s.pasteWindowHeight = 600;
    s.pasteSourceSize = 99;
    s.keyMark = 13;
    s.keyPrevCheck = 16;
    s.keyPlayPause = 65535;
    s.listLyricWidth = 420;
    s.listTimeWidth = 75;
    s.textEncoding = TextEncoding::EucJp;
    s.standardLrc = {
        .milliseconds = true, .shiftJis = true, .crlf = true, .keepUntimed = true, .words = true};
    s.batchSourceFolder = "/home/user/音楽";
    s.batchOutputFolder = "/media/user/SP 250";
    s.calibrationOffered = true;
    s.karaokeKeyUp = true;
    return s;
}

TEST(AppSettings, EverySavedFieldComesBack) {
    TempFolder folder;
    ASSERT_FALSE(SaveAppSettings(folder / "obrin.ini", "user", Changed()));
    EXPECT_EQ(LoadAppSettings(folder / "obrin.ini", "user", kProgramFolder), Changed());
}

// A user's section as the editor has always written it, key for key, in
// the order it writes them.
const std::string kWrittenSection =
    "[user]\r\n"
    "tempPath=/home/user/obrin-work/\r\n"
    "panMark.Caption=-0.8\r\n"
    "chkHosei.Checked=1\r\n"
    "mnuStar.Checked=1\r\n"
    "mnuNullLine.Checked=0\r\n"
    "mnuInfo.Checked=1\r\n"
    "mnuInfoAtMark.Checked=0\r\n"
    "mnuInfoFirst.Checked=1\r\n"
    "mnuInfoNone.Checked=0\r\n"
    "mnuKeyValue.Checked=0\r\n"
    "lastLine=1\r\n"
    "mnuGrid=0\r\n"
    "mnuWaveform.Checked=1\r\n"
    "mnuSnapOnset.Checked=1\r\n"
    "Tate=0\r\n"
    "PasteForm.Width=640\r\n"
    "PasteForm.Height=480\r\n"
    "TateWidth=180\r\n"
    "mnuChkTerminate.Checked=0\r\n"
    "ly1=1\r\n"
    "ly2=0\r\n"
    "ly3=0\r\n"
    "N15.Checked=1\r\n"
    "I2.Checked=0\r\n"
    "author=\x8E\x52\x93\x63\x83\x5C\r\n"
    "Key-Mark=32\r\n"
    "Key-PrevCheck=66\r\n"
    "Key-PlayPause=0\r\n"
    "mnuPlainURLEnabled.Checked=1\r\n"
    "plainURL=http://example.com/lyrics?id=1;a=b\r\n"
    "ListLyric.Width=420\r\n"
    "ListTime.Width=80\r\n"
    "TextEncoding=utf-8\r\n"
    "StdLrc.ShiftJis=0\r\n"
    "StdLrc.Milliseconds=1\r\n"
    "StdLrc.KeepUntimed=0\r\n"
    "StdLrc.CrLf=1\r\n"
    "StdLrc.Words=1\r\n"
    "Batch.Source=/home/user/music\r\n"
    "Batch.Output=\r\n"
    "Calibration.Offered=1\r\n"
    "Karaoke.KeyUp=1\r\n";

AppSettings WrittenSettings() {
    AppSettings s = DefaultAppSettings(kProgramFolder);
    s.workFolder = "/home/user/obrin-work/";
    s.markOffsetText = "-0.8";
    s.listEditMode = true;
    s.dropRepeatedBlankLines = false;
    s.songInfo = SongInfoMode::First;
    s.gridLines = false;
    s.snapMarksToOnsets = true;
    s.pasteVertical = false;
    s.pasteWindowWidth = 640;
    s.pasteWindowHeight = 480;
    s.pasteSourceSize = 180;
    s.confirmExit = false;
    s.existingLyrics = ExistingLyrics::OpenAutomatically;
    s.addEditedBy = true;
    s.author = "\x8E\x52\x93\x63\x83\x5C";  // 山田ソ: trail byte 5C
    s.keyMark = 32;
    s.keyPrevCheck = 66;
    s.keyPlayPause = 0;  // taken off
    s.plainLyricsSourceEnabled = true;
    s.plainLyricsSource = "http://example.com/lyrics?id=1;a=b";
    s.listLyricWidth = 420;
    s.listTimeWidth = 80;
    s.textEncoding = TextEncoding::Utf8;
    s.standardLrc = {
        .milliseconds = true, .shiftJis = false, .crlf = true, .keepUntimed = false, .words = true};
    s.batchSourceFolder = "/home/user/music";
    s.calibrationOffered = true;
    s.karaokeKeyUp = true;
    return s;
}

TEST(AppSettings, AWrittenFileReadsBackAndSavesByteForByte) {
    TempFolder folder;
    AppSettings withWarnings = WrittenSettings();
    withWarnings.warnBodyDisplay = true;
    withWarnings.warnRemoteDisplay = false;
    ASSERT_FALSE(SaveAppSettings(folder / "fresh.ini", "user", withWarnings));
    EXPECT_EQ(ReadBytes(folder / "fresh.ini"), kWrittenSection);

    // Another user's section and keys the editor does not know stay as they
    // were, in their places; sections stand two blank lines apart.
    const std::string file = "[alice]\r\nKey-Mark=13\r\n\r\n\r\n" + kWrittenSection +
                             "mnuRioViewBody.Checked=1\r\nhandWritten=yes\r\n";
    WriteBytes(folder / "obrin.ini", file);
    const AppSettings read = LoadAppSettings(folder / "obrin.ini", "user", kProgramFolder);
    AppSettings expected = WrittenSettings();
    expected.warnBodyDisplay = true;
    EXPECT_EQ(read, expected);
    ASSERT_FALSE(SaveAppSettings(folder / "obrin.ini", "user", read));
    EXPECT_EQ(ReadBytes(folder / "obrin.ini"), file);
}

// ---- every setting of the table, changed, comes back ----

bool OtherThan(bool value) {
    return !value;
}
int OtherThan(int value) {
    return value + 7;
}
std::uint16_t OtherThan(std::uint16_t value) {
    return static_cast<std::uint16_t>(value + 7);
}
std::string OtherThan(const std::string& value) {
    return value + "\x83\x5C/";  // ソ: trail byte 5C
}
TextEncoding OtherThan(TextEncoding value) {
    return value == TextEncoding::EucJp ? TextEncoding::Utf16 : TextEncoding::EucJp;
}

template <auto... Path>
void Change(const Setting<Path...>&, AppSettings& settings, bool /*radioNone*/) {
    auto& field = Setting<Path...>::Field::in(settings);
    field = OtherThan(field);
}
// Another item of the group, or none.
template <auto Member, std::size_t Items>
void Change(const RadioSetting<Member, Items>& setting, AppSettings& settings, bool none) {
    auto& field = RadioSetting<Member, Items>::Field::in(settings);
    if (none) {
        field = std::nullopt;
        return;
    }
    for (const auto& item : setting.items) {
        if (field != item.second) {
            field = item.second;
            return;
        }
    }
}
template <auto... Path>
void Unsaved(const Setting<Path...>& setting, AppSettings& settings) {
    if (!setting.saved) Setting<Path...>::Field::in(settings) = setting.designed;
}
template <auto Member, std::size_t Items>
void Unsaved(const RadioSetting<Member, Items>&, AppSettings&) {}

class AppSettingsTableTest : public testing::TestWithParam<bool> {};

TEST_P(AppSettingsTableTest, EverySettingChangedComesBack) {
    const bool radioNone = GetParam();
    AppSettings changed = DefaultAppSettings(kProgramFolder);
    VisitAppSettings([&](const auto& setting) { Change(setting, changed, radioNone); });
    // What is not saved returns to its designed value.
    AppSettings expected = changed;
    VisitAppSettings([&](const auto& setting) { Unsaved(setting, expected); });

    TempFolder folder;
    ASSERT_FALSE(SaveAppSettings(folder / "obrin.ini", "user", changed));
    EXPECT_EQ(LoadAppSettings(folder / "obrin.ini", "user", kProgramFolder), expected);
}

INSTANTIATE_TEST_SUITE_P(Radio, AppSettingsTableTest, testing::Values(false, true),
                         [](const auto& info) {
                             return std::string(info.param ? "NoneChecked" : "OtherItem");
                         });

TEST(AppSettingsTable, KeysAreDistinctWithoutRegardToCase) {
    std::vector<std::string> keys;
    const auto add = [&](std::string key) {
        for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        keys.push_back(key);
    };
    VisitAppSettings([&](const auto& setting) {
        if constexpr (requires { setting.items; }) {
            for (const auto& item : setting.items) add(item.first);
        } else {
            add(setting.key);
        }
    });
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
}

TEST(AppSettings, Sp250WarningsComeFromTheFileAndSurviveASave) {
    TempFolder folder;
    AppSettings s = LoadFrom(folder, "mnuRioViewBody.Checked=1\r\nmnuRioViewRemote.Checked=0\r\n");
    EXPECT_TRUE(s.warnBodyDisplay);
    EXPECT_FALSE(s.warnRemoteDisplay);

    // Toggled during the run: lasts until the editor ends.
    s.warnBodyDisplay = false;
    s.warnRemoteDisplay = true;
    ASSERT_FALSE(SaveAppSettings(folder / "obrin.ini", "user", s));

    const AppSettings next = LoadAppSettings(folder / "obrin.ini", "user", kProgramFolder);
    EXPECT_TRUE(next.warnBodyDisplay);
    EXPECT_FALSE(next.warnRemoteDisplay);
}

TEST(AppSettings, Sp250WarningsWithoutKeysReturnToTheDefaults) {
    TempFolder folder;
    AppSettings s = DefaultAppSettings(kProgramFolder);
    s.warnBodyDisplay = true;
    s.warnRemoteDisplay = false;
    ASSERT_FALSE(SaveAppSettings(folder / "obrin.ini", "user", s));

    const AppSettings next = LoadAppSettings(folder / "obrin.ini", "user", kProgramFolder);
    EXPECT_FALSE(next.warnBodyDisplay);
    EXPECT_TRUE(next.warnRemoteDisplay);
}

TEST(AppSettings, TwoUsersKeepTheirOwnSectionsAndForeignKeys) {
    TempFolder folder;
    const auto ini = folder / "obrin.ini";
    WriteBytes(ini, "[alice]\r\nKey-Mark=32\r\nhandWritten=yes\r\n");
    AppSettings bob = DefaultAppSettings(kProgramFolder);
    bob.keyMark = 77;
    bob.author = "bob";

    ASSERT_FALSE(SaveAppSettings(ini, "bob", bob));

    EXPECT_EQ(LoadAppSettings(ini, "alice", kProgramFolder).keyMark, 32);
    EXPECT_EQ(LoadAppSettings(ini, "bob", kProgramFolder), bob);
    AppSettings alice = LoadAppSettings(ini, "alice", kProgramFolder);
    alice.author = "alice";
    ASSERT_FALSE(SaveAppSettings(ini, "alice", alice));
    EXPECT_EQ(LoadAppSettings(ini, "bob", kProgramFolder), bob);
    IniFile file;
    ASSERT_FALSE(file.load(ini));
    EXPECT_EQ(file.readString("alice", "handWritten"), "yes");
    EXPECT_EQ(file.sections(), (std::vector<std::string>{"alice", "bob"}));
}

TEST(AppSettings, UnreadableFileIsNotReplaced) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "obrin.ini");
    EXPECT_TRUE(SaveAppSettings(folder / "obrin.ini", "user", Changed()));
    EXPECT_TRUE(SaveAppSettings(folder / "missing" / "obrin.ini", "user", Changed()));
}

// ---- key codes keep their low 16 bits ----

struct KeyCase {
    const char* name;
    const char* stored;
    // Empty: each key keeps its designed code.
    std::optional<std::uint16_t> code;
};

class KeyCodeTest : public testing::TestWithParam<KeyCase> {};

TEST_P(KeyCodeTest, Reads) {
    TempFolder folder;
    const AppSettings s = LoadFrom(folder, std::string("Key-Mark=") + GetParam().stored +
                                               "\r\nKey-PrevCheck=" + GetParam().stored +
                                               "\r\nKey-PlayPause=" + GetParam().stored + "\r\n");
    const AppSettings designed;
    EXPECT_EQ(s.keyMark, GetParam().code.value_or(designed.keyMark));
    EXPECT_EQ(s.keyPrevCheck, GetParam().code.value_or(designed.keyPrevCheck));
    EXPECT_EQ(s.keyPlayPause, GetParam().code.value_or(designed.keyPlayPause));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, KeyCodeTest,
    testing::Values(KeyCase{"Enter", "13", 13}, KeyCase{"Shift", "16", 16},
                    // A user who never assigned a key keeps none.
                    KeyCase{"Unassigned", "0", 0}, KeyCase{"Largest", "65535", 65535},
                    KeyCase{"WrapsToZero", "65536", 0}, KeyCase{"AboveSixteenBits", "65549", 13},
                    KeyCase{"MinusOne", "-1", 65535}, KeyCase{"IntMax", "2147483647", 65535},
                    KeyCase{"NotANumber", "F1", std::nullopt},
                    KeyCase{"TooBigForInt", "4294967309", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- radio groups ----

struct RadioCase {
    const char* name;
    // Key and value lines in file order; absent keys are missing.
    std::vector<std::pair<std::string, std::string>> stored;
    std::vector<bool> checked;  // in the order of the group's keys
};

std::string SectionOf(const std::vector<std::pair<std::string, std::string>>& stored) {
    std::string text;
    for (const auto& [key, value] : stored) text += key + "=" + value + "\r\n";
    return text;
}

class SongInfoRadioTest : public testing::TestWithParam<RadioCase> {};

TEST_P(SongInfoRadioTest, LastTrueItemWins) {
    TempFolder folder;
    const AppSettings s = LoadFrom(folder, SectionOf(GetParam().stored));
    EXPECT_EQ(
        (std::vector<bool>{s.songInfo == SongInfoMode::AtMark, s.songInfo == SongInfoMode::First,
                           s.songInfo == SongInfoMode::None, s.songInfo == SongInfoMode::KeyValue}),
        GetParam().checked);
}

const std::string kAtMark = "mnuInfoAtMark.Checked";
const std::string kFirst = "mnuInfoFirst.Checked";
const std::string kNone = "mnuInfoNone.Checked";
const std::string kKeyValue = "mnuKeyValue.Checked";

INSTANTIATE_TEST_SUITE_P(
    Groups, SongInfoRadioTest,
    testing::Values(RadioCase{"Missing", {}, {true, false, false, false}},
                    RadioCase{"AllFalse",
                              {{kAtMark, "0"}, {kFirst, "0"}, {kNone, "0"}, {kKeyValue, "0"}},
                              {false, false, false, false}},
                    RadioCase{"FirstAndLastTrue",
                              {{kAtMark, "1"}, {kKeyValue, "1"}},
                              {false, false, false, true}},
                    // The missing first key reads as its default, true, then loses.
                    RadioCase{"OnlyFirstStored", {{kFirst, "1"}}, {false, true, false, false}},
                    RadioCase{"TrueThenFalse",
                              {{kNone, "1"}, {kKeyValue, "0"}, {kAtMark, "0"}},
                              {false, false, true, false}},
                    RadioCase{"GarbageKeepsDefault",
                              {{kAtMark, "x"}, {kFirst, "x"}},
                              {true, false, false, false}},
                    RadioCase{"KeysWrittenInAnotherOrder",
                              {{kKeyValue, "1"}, {kFirst, "1"}, {kAtMark, "0"}},
                              {false, false, false, true}}),
    [](const auto& info) { return std::string(info.param.name); });

class ExistingLyricsRadioTest : public testing::TestWithParam<RadioCase> {};

TEST_P(ExistingLyricsRadioTest, LastTrueItemWins) {
    TempFolder folder;
    const AppSettings s = LoadFrom(folder, SectionOf(GetParam().stored));
    EXPECT_EQ((std::vector<bool>{s.existingLyrics == ExistingLyrics::OpenAutomatically,
                                 s.existingLyrics == ExistingLyrics::Ask,
                                 s.existingLyrics == ExistingLyrics::DoNothing}),
              GetParam().checked);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, ExistingLyricsRadioTest,
    testing::Values(
        RadioCase{"Missing", {}, {false, true, false}},
        RadioCase{"AllFalse", {{"ly1", "0"}, {"ly2", "0"}, {"ly3", "0"}}, {false, false, false}},
        RadioCase{"OpenAutomatically", {{"ly1", "1"}, {"ly2", "0"}}, {true, false, false}},
        // ly2 is missing and reads as true after ly1.
        RadioCase{"Ly2MissingWins", {{"ly1", "1"}}, {false, true, false}},
        RadioCase{"AllTrue", {{"ly1", "1"}, {"ly2", "5"}, {"ly3", "-1"}}, {false, false, true}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- values read as they are, with the work folder made usable ----

struct FieldCase {
    const char* name;
    std::string stored;
    std::optional<std::string> workFolder;
    std::optional<int> pasteWindowWidth;
    std::optional<std::string> author;
};

class SettingsFieldTest : public testing::TestWithParam<FieldCase> {};

TEST_P(SettingsFieldTest, Reads) {
    TempFolder folder;
    const AppSettings s = LoadFrom(folder, GetParam().stored);
    if (GetParam().workFolder) {
        EXPECT_EQ(s.workFolder, *GetParam().workFolder);
    }
    if (GetParam().pasteWindowWidth) {
        EXPECT_EQ(s.pasteWindowWidth, *GetParam().pasteWindowWidth);
    }
    if (GetParam().author) {
        EXPECT_EQ(s.author, *GetParam().author);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SettingsFieldTest,
    testing::Values(
        FieldCase{"WorkFolderWithSeparator", "tempPath=/data/work/\r\n", "/data/work/", {}, {}},
        FieldCase{"WorkFolderGetsASeparator", "tempPath=/data/work\r\n", "/data/work/", {}, {}},
        FieldCase{"BlankWorkFolderIsTheProgramFolder", "tempPath=\r\n", "/opt/obrin/", {}, {}},
        FieldCase{"WidthNotANumber", "PasteForm.Width=wide\r\n", {}, 570, {}},
        FieldCase{"WidthNegative", "PasteForm.Width=-3\r\n", {}, -3, {}},
        FieldCase{"AuthorShiftJisTrailBytes",
                  "author=\x95\x5C\x83\x5B\x83\x5D\x83\x7C\r\n",
                  {},
                  {},
                  "\x95\x5C\x83\x5B\x83\x5D\x83\x7C"},
        FieldCase{"KeyNamesWithoutCase", "TEMPPATH=/x/\r\npasteform.width=1\r\n", "/x/", 1, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
