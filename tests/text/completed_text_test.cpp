#include "text/completed_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "read_only_folder.h"
#include "sjis_lines.h"
#include "temp_folder.h"
#include "text/text_lines.h"

namespace obrin {
namespace {

using test::TempFolder;

using test::Sj;
using test::SjLines;
using test::Utf8Lines;
using testing::ElementsAre;
using testing::ElementsAreArray;

struct ExampleDocument : Document {
    ExampleDocument() {
        setTitle("ABC");
        setArtist("XYZ");
        lyrics.assign(SjLines({"こんにちは", "さようなら"}));
        lyrics.setTimeText(0, "00:12:34");
    }
};

struct ModeCase {
    const char* name;
    SongInfoMode mode;
    std::string title;
    std::string artist;
    std::vector<std::string> lines;
};

class SongInfoLinesTest : public testing::TestWithParam<ModeCase> {};

TEST_P(SongInfoLinesTest, Writes) {
    const ModeCase& c = GetParam();
    EXPECT_THAT(Utf8Lines(SongInfoLines(c.mode, c.title, c.artist)),
                ElementsAreArray(Utf8Lines(c.lines)));
}

INSTANTIATE_TEST_SUITE_P(
    FourModes, SongInfoLinesTest,
    testing::Values(
        ModeCase{"AtMark", SongInfoMode::AtMark, "ABC", "XYZ", {"@Title=ABC", "@Artist=XYZ"}},
        ModeCase{"AtMarkEmpty", SongInfoMode::AtMark, "", "", {}},
        ModeCase{"AtMarkArtistOnly", SongInfoMode::AtMark, "", "XYZ", {"@Artist=XYZ"}},
        ModeCase{"AtMarkUntrimmed", SongInfoMode::AtMark, " T ", "", {"@Title= T "}},
        ModeCase{"First", SongInfoMode::First, "ABC", "XYZ",
                 SjLines({"[00:00:00]曲名「ABC」 歌手「XYZ」"})},
        ModeCase{"FirstEmpty", SongInfoMode::First, "", "", {"[00:00:00]"}},
        ModeCase{"FirstArtistOnly", SongInfoMode::First, "", "XYZ",
                 SjLines({"[00:00:00] 歌手「XYZ」"})},
        ModeCase{"FirstTitleOnly", SongInfoMode::First, "ABC", "",
                 SjLines({"[00:00:00]曲名「ABC」"})},
        ModeCase{"KeyValue", SongInfoMode::KeyValue, "ABC", "XYZ", {"Title:ABC", "Artist:XYZ"}},
        ModeCase{"KeyValueTitleOnly", SongInfoMode::KeyValue, "ABC", "", {"Title:ABC"}},
        ModeCase{"None", SongInfoMode::None, "ABC", "XYZ", {}}),
    [](const auto& info) { return info.param.name; });

TEST(SongInfoLines, FirstModeBytesAreExact) {
    const std::string expected =
        "\x5B\x30\x30\x3A\x30\x30\x3A\x30\x30\x5D\x8B\xC8\x96\xBC\x81\x75\x41\x42\x43\x81\x76\x20"
        "\x89\xCC\x8E\xE8\x81\x75\x58\x59\x5A\x81\x76";
    EXPECT_THAT(SongInfoLines(SongInfoMode::First, "ABC", "XYZ"), ElementsAre(expected));
}

struct BuildCase {
    const char* name;
    std::vector<std::string> headerLines;
    std::vector<std::string> infoLines;
    bool taggingBy;
    bool loadedFromFile;
    std::vector<std::string> tail;  // the lines after the lyric lines
};

class BuildCompletedTextTest : public testing::TestWithParam<BuildCase> {};

TEST_P(BuildCompletedTextTest, Blocks) {
    const BuildCase& c = GetParam();
    Document document;
    document.lyrics.assign({"x"});
    document.setHeaderLines(c.headerLines);
    document.setInfoLines(c.infoLines);
    document.setLoadedFromFile(c.loadedFromFile);
    const CompletedTextOptions options{
        .songInfo = SongInfoMode::None, .taggingBy = c.taggingBy, .author = "me"};

    std::vector<std::string> expected = c.headerLines;
    expected.push_back("[00:00:00]x");
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_THAT(BuildCompletedText(document, options), ElementsAreArray(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, BuildCompletedTextTest,
    testing::Values(BuildCase{"Plain", {}, {}, false, false, {"", "@TimeRatio=1"}},
                    BuildCase{"HeaderAndInfoVerbatim",
                              {"head ", ""},
                              {" info", "@x"},
                              false,
                              false,
                              {"", " info", "@x", "@TimeRatio=1"}},
                    BuildCase{"InfoTimeRatioSuppresses",
                              {},
                              {"@TimeRatio=2.5"},
                              false,
                              false,
                              {"", "@TimeRatio=2.5"}},
                    BuildCase{"HeaderTimeRatioSuppresses", {"@TimeRatio="}, {}, false, false, {""}},
                    BuildCase{"TimeRatioLaterInLineDoesNot",
                              {},
                              {" @TimeRatio=2"},
                              false,
                              false,
                              {"", " @TimeRatio=2", "@TimeRatio=1"}},
                    BuildCase{"TaggingByAfterPaste",
                              {},
                              {"@i"},
                              true,
                              false,
                              {"", "@i", "@TaggingBy=me", "@TimeRatio=1"}},
                    BuildCase{"NoTaggingByForFile", {}, {}, true, true, {"", "@TimeRatio=1"}},
                    BuildCase{"TaggingByOff", {}, {}, false, false, {"", "@TimeRatio=1"}}),
    [](const auto& info) { return info.param.name; });

TEST(BuildCompletedText, EmptyAuthorGivesBareTaggingBy) {
    Document document;
    const auto lines =
        BuildCompletedText(document, {.songInfo = SongInfoMode::None, .taggingBy = true});
    EXPECT_THAT(lines, ElementsAre("", "@TaggingBy=", "@TimeRatio=1"));
}

TEST(BuildCompletedText, EmptyListWithFirstMode) {
    Document document;
    document.setHeaderLines({"h"});
    document.setInfoLines({"i"});
    EXPECT_THAT(BuildCompletedText(document, {.songInfo = SongInfoMode::First}),
                ElementsAre("[00:00:00]", "h", "", "i", "@TimeRatio=1"));
}

TEST(WriteTextFile, WorkedExampleBytes) {
    TempFolder folder;
    const auto path = folder.path() / "song.txt";
    ASSERT_FALSE(WriteTextFile(path, BuildCompletedText(ExampleDocument(), {})));
    const std::string expected = "@Title=ABC\r\n@Artist=XYZ\r\n[00:12:34]" + Sj("こんにちは") +
                                 "\r\n[00:00:00]" + Sj("さようなら") + "\r\n\r\n@TimeRatio=1\r\n";
    EXPECT_EQ(folder.read("song.txt"), expected);
}

TEST(WriteTextFile, ReplacesExistingFile) {
    TempFolder folder;
    folder.write("song.txt", "old content that is longer than the new one\r\n");
    ASSERT_FALSE(WriteTextFile(folder.path() / "song.txt", {"new"}));
    EXPECT_EQ(folder.read("song.txt"), "new\r\n");
}

TEST(WriteTextFile, FailureKeepsTheOldFileAndLeavesNoTemporary) {
    TempFolder folder;
    folder.write("song.txt", "old\r\n");
    // A folder that cannot take a temporary file: the existing target survives.
    const test::ReadOnlyFolder readOnly(folder.path());
    ASSERT_TRUE(readOnly) << readOnly.why();
    EXPECT_EQ(WriteTextFile(folder.path() / "song.txt", {"new"}), readOnly.refusal());
    EXPECT_EQ(folder.read("song.txt"), "old\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(WriteTextFile, FailedRenameLeavesNoTemporary) {
    TempFolder folder;
    std::filesystem::create_directories(folder.path() / "song.txt" / "inside");
    EXPECT_TRUE(WriteTextFile(folder.path() / "song.txt", {"new"}));
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "song.txt" / "inside"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(WriteTextFile, MissingFolderIsAnError) {
    TempFolder folder;
    EXPECT_TRUE(WriteTextFile(folder.path() / "no" / "such.txt", {"x"}));
}

}  // namespace
}  // namespace obrin
