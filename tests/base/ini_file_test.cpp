#include "base/ini_file.h"

#include <gtest/gtest.h>

#include <climits>

#include "temp_folder.h"

namespace obrin {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

IniFile Loaded(const TempFolder& folder, const std::string& bytes) {
    WriteBytes(folder / "test.ini", bytes);
    IniFile ini;
    EXPECT_FALSE(ini.load(folder / "test.ini"));
    return ini;
}

std::string Saved(const IniFile& ini, const TempFolder& folder) {
    EXPECT_FALSE(ini.save(folder / "saved.ini"));
    return ReadBytes(folder / "saved.ini");
}

// ---- values survive byte for byte ----

struct ValueCase {
    const char* name;
    std::string value;
};

class IniValueTest : public testing::TestWithParam<ValueCase> {};

TEST_P(IniValueTest, SurvivesSaveAndLoadByteForByte) {
    TempFolder folder;
    IniFile ini;
    ini.writeString("user", "author", GetParam().value);
    ini.writeString("user", "after", "x");

    const std::string bytes = Saved(ini, folder);
    EXPECT_EQ(bytes, "[user]\r\nauthor=" + GetParam().value + "\r\nafter=x\r\n");

    IniFile again;
    ASSERT_FALSE(again.load(folder / "saved.ini"));
    EXPECT_EQ(again.readString("user", "author"), GetParam().value);
    EXPECT_EQ(again.readString("user", "after"), "x");
    EXPECT_EQ(again.keys("user"), (std::vector<std::string>{"author", "after"}));
}

INSTANTIATE_TEST_SUITE_P(ShiftJis, IniValueTest,
                         testing::Values(
                             // Trail bytes that are ASCII punctuation: '\' (ソ 83 5C, 表 95 5C),
                             // '[' (ゼ 83 5B), ']' (ゾ 83 5D), '|' (ポ 83 7C), also at the end.
                             ValueCase{"TrailBackslashAtEnd", "\x83\x5C"},
                             ValueCase{"TrailBackslashInside", "\x95\x5C\x8E\xA6"},
                             ValueCase{"TrailOpenBracket", "\x83\x5B\x83\x8B"},
                             ValueCase{"TrailCloseBracket", "\x83\x5D\x83\x93"},
                             ValueCase{"TrailBar", "\x83\x7C\x83\x43\x83\x93\x83\x67"},
                             ValueCase{"AllFourTogether", "\x83\x5C\x83\x5B\x83\x5D\x83\x7C"},
                             ValueCase{"HalfwidthKatakana", "\xB1\xB2\xB3"}),
                         [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Syntax, IniValueTest,
    testing::Values(ValueCase{"Quotes", "\"quoted\""}, ValueCase{"EscapeLike", "a\\nb\\t\\"},
                    ValueCase{"MultiLineTag", "<<<END"}, ValueCase{"CommentMarks", "a;b#c"},
                    ValueCase{"EqualsSign", "a=b"}, ValueCase{"Brackets", "[not a section]"},
                    ValueCase{"InnerSpaces", "a  b"}, ValueCase{"Empty", ""},
                    ValueCase{"WindowsPath", "C:\\Music\\"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniFile, LineBreaksCannotSmuggleInKeysOrSections) {
    TempFolder folder;
    IniFile ini;
    ini.writeString("user", "author", "name\r\n[other]\r\nkey=1");
    ini.writeString("user", "plainURL", std::string("a\0b", 3));
    ini.writeString("user", "lf", "x\ny");

    IniFile again = Loaded(folder, Saved(ini, folder));

    EXPECT_EQ(again.readString("user", "author"), "name");
    EXPECT_EQ(again.readString("user", "plainURL"), "a");
    EXPECT_EQ(again.readString("user", "lf"), "x");
    EXPECT_EQ(again.sections(), std::vector<std::string>{"user"});
}

// ---- order and case ----

TEST(IniFile, KeepsOrderComparesWithoutCaseAndReplacesInPlace) {
    TempFolder folder;
    IniFile ini = Loaded(folder,
                         "[Type]\r\nwav=vellin.dll\r\nMP3=wendax.dll\r\nrmp=vellin.dll\r\n"
                         "[second]\r\nk=v\r\n");

    EXPECT_EQ(ini.keys("TYPE"), (std::vector<std::string>{"wav", "MP3", "rmp"}));
    EXPECT_EQ(ini.readString("type", "mp3"), "wendax.dll");

    ini.writeString("type", "Mp3", "other.dll");
    ini.writeString("type", "wma", "wendax.dll");
    ini.writeString("third", "a", "1");

    EXPECT_EQ(Saved(ini, folder),
              "[Type]\r\nwav=vellin.dll\r\nMP3=other.dll\r\nrmp=vellin.dll\r\nwma=wendax.dll\r\n"
              "\r\n\r\n[second]\r\nk=v\r\n"
              "\r\n\r\n[third]\r\na=1\r\n");
    EXPECT_EQ(ini.sections(), (std::vector<std::string>{"Type", "second", "third"}));
}

TEST(IniFile, RepeatedKeyReadsAsItsFirstValueWhereItFirstStood) {
    TempFolder folder;
    IniFile ini = Loaded(folder,
                         "[type]\r\nwav=vellin.dll\r\nmp3=wendax.dll\r\nWAV=\r\nwav=other.dll\r\n"
                         "[user]\r\nk=1\r\nK=2\r\n");

    EXPECT_EQ(ini.readString("type", "wav"), "vellin.dll");
    EXPECT_EQ(ini.readInteger("user", "k", 0), 1);
    EXPECT_EQ(ini.keys("type"), (std::vector<std::string>{"wav", "mp3"}));

    ini.writeString("type", "Wav", "new.dll");
    EXPECT_EQ(Saved(ini, folder),
              "[type]\r\nwav=new.dll\r\nmp3=wendax.dll\r\n\r\n\r\n[user]\r\nk=1\r\n");
}

struct FileFormCase {
    const char* name;
    std::string onDisk;
    std::string savedAgain;
};

class IniFileFormTest : public testing::TestWithParam<FileFormCase> {};

TEST_P(IniFileFormTest, SavesWithCrLfOnly) {
    TempFolder folder;
    EXPECT_EQ(Saved(Loaded(folder, GetParam().onDisk), folder), GetParam().savedAgain);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, IniFileFormTest,
    testing::Values(FileFormCase{"LfOnly", "[s]\nk=v\n", "[s]\r\nk=v\r\n"},
                    FileFormCase{"SpacesAroundEquals", "[s]\r\nk = v \r\n", "[s]\r\nk=v\r\n"},
                    FileFormCase{"CommentKeptWithCrLf", "[s]\r\n; note\r\nk=v\r\n",
                                 "[s]\r\n\r\n; note\r\nk=v\r\n"},
                    FileFormCase{"NoFinalLineBreak", "[s]\r\nk=v", "[s]\r\nk=v\r\n"},
                    FileFormCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- numbers the way Windows profiles read them ----

struct IntegerCase {
    const char* name;
    const char* stored;  // nullptr: key missing
    int expected;        // with default -7
};

class IniIntegerTest : public testing::TestWithParam<IntegerCase> {};

TEST_P(IniIntegerTest, Reads) {
    TempFolder folder;
    std::string file = "[s]\r\n";
    if (GetParam().stored != nullptr) file += std::string("k=") + GetParam().stored + "\r\n";
    EXPECT_EQ(Loaded(folder, file).readInteger("s", "k", -7), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniIntegerTest,
    testing::Values(
        IntegerCase{"Plain", "570", 570}, IntegerCase{"Negative", "-5", -5},
        IntegerCase{"PlusSign", "+7", 7}, IntegerCase{"Zero", "0", 0},
        IntegerCase{"LeadingZeros", "007", 7}, IntegerCase{"Largest", "2147483647", INT_MAX},
        IntegerCase{"Smallest", "-2147483648", INT_MIN}, IntegerCase{"TooLarge", "2147483648", -7},
        IntegerCase{"Huge", "99999999999999999999", -7}, IntegerCase{"TrailingText", "12abc", -7},
        IntegerCase{"Hex", "0x10", -7}, IntegerCase{"Word", "abc", -7},
        IntegerCase{"Empty", "", -7}, IntegerCase{"TwoSigns", "+-1", -7},
        IntegerCase{"Fraction", "1.5", -7}, IntegerCase{"FullwidthDigits", "\x82\x50", -7},
        IntegerCase{"Missing", nullptr, -7}),
    [](const auto& info) { return std::string(info.param.name); });

struct BoolCase {
    const char* name;
    const char* stored;  // nullptr: key missing
    bool whenDefaultFalse;
    bool whenDefaultTrue;
};

class IniBoolTest : public testing::TestWithParam<BoolCase> {};

TEST_P(IniBoolTest, Reads) {
    TempFolder folder;
    std::string file = "[s]\r\n";
    if (GetParam().stored != nullptr) file += std::string("k=") + GetParam().stored + "\r\n";
    const IniFile ini = Loaded(folder, file);
    EXPECT_EQ(ini.readBool("s", "k", false), GetParam().whenDefaultFalse);
    EXPECT_EQ(ini.readBool("s", "k", true), GetParam().whenDefaultTrue);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniBoolTest,
    testing::Values(BoolCase{"One", "1", true, true}, BoolCase{"Zero", "0", false, false},
                    BoolCase{"DoubleZero", "00", false, false}, BoolCase{"Two", "2", true, true},
                    BoolCase{"MinusOne", "-1", true, true},
                    BoolCase{"TrueWord", "true", false, true}, BoolCase{"Empty", "", false, true},
                    BoolCase{"Missing", nullptr, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniFile, WritesBooleansAsOneAndZeroAndIntegersInDecimal) {
    TempFolder folder;
    IniFile ini;
    ini.writeBool("s", "on", true);
    ini.writeBool("s", "off", false);
    ini.writeInteger("s", "n", -1234);
    EXPECT_EQ(Saved(ini, folder), "[s]\r\non=1\r\noff=0\r\nn=-1234\r\n");
}

// ---- files that are not there or cannot be written ----

TEST(IniFile, MissingFileIsEmpty) {
    TempFolder folder;
    IniFile ini = Loaded(folder, "[s]\r\nk=v\r\n");

    EXPECT_EQ(ini.load(folder / "absent.ini"), std::errc::no_such_file_or_directory);

    EXPECT_TRUE(ini.keys("s").empty());
    EXPECT_TRUE(ini.sections().empty());
}

TEST(IniFile, FolderInsteadOfFileIsAnError) {
    TempFolder folder;
    IniFile ini;
    EXPECT_TRUE(ini.load(folder.path()));
    EXPECT_TRUE(ini.save(folder.path()));
}

TEST(IniFile, FailedSaveKeepsTheOldFile) {
    TempFolder folder;
    IniFile ini;
    ini.writeString("s", "k", "new");
    std::filesystem::create_directory(folder / "obrin.ini");

    EXPECT_TRUE(ini.save(folder / "obrin.ini"));
    EXPECT_TRUE(ini.save(folder / "missing" / "obrin.ini"));

    EXPECT_TRUE(std::filesystem::is_directory(folder / "obrin.ini"));
}

}  // namespace
}  // namespace obrin
