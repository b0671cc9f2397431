#include "text/tagged_lyrics_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <iterator>

#include "sjis_lines.h"
#include "temp_folder.h"
#include "text/completed_text.h"
#include "text/standard_lrc.h"
#include "text/text_lines.h"
#include "text/time_tag.h"

namespace obrin {
namespace {

using test::TempFolder;

using test::Sj;
using test::SjLines;
using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;

struct TagCase {
    const char* tag;
    std::int32_t ms;
};

class ParseTimeTagTest : public testing::TestWithParam<TagCase> {};

TEST_P(ParseTimeTagTest, Converts) {
    EXPECT_EQ(ParseTimeTag(GetParam().tag), GetParam().ms);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseTimeTagTest,
    testing::Values(TagCase{"01:23:45", 83450}, TagCase{"01:23:456", 83456},
                    TagCase{"01:23:5", 83050}, TagCase{"12:34", 754000}, TagCase{"7", 420000},
                    TagCase{"1:2:3:4", 62030}, TagCase{"00:75:00", 75000}, TagCase{"00:12.34", -1},
                    TagCase{"", -1},
                    // Third field: hundredths below 100, milliseconds from 100 on.
                    TagCase{"0:0:99", 990}, TagCase{"0:0:100", 100}, TagCase{" 1: +2:-3", 61970},
                    TagCase{"1:2:3:junk", 62030}, TagCase{"-1:00:00", -60000}, TagCase{"1:", -1},
                    TagCase{":1", -1}, TagCase{"1 :2", -1}, TagCase{"+", -1}, TagCase{"0x10", -1},
                    TagCase{"99999999999:0", -1}, TagCase{"35791:23:647", 2147483647},
                    TagCase{"35791:23:648", -1}, TagCase{"2147483647", -1}),
    [](const auto& info) {
        std::string name;
        for (const char c : std::string(info.param.tag))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return "T" + std::to_string(info.index) + "_" + name;
    });

struct ReadCase {
    const char* name;
    std::string file;
    ReaderOptions options;
    // Expected lines as "time|text".
    std::vector<std::string> lyrics;
    std::vector<std::string> headerLines;
    std::vector<std::string> infoLines;
    std::string title;
    std::string artist;
};

class ReadTaggedLyricsTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadTaggedLyricsTest, Reads) {
    const ReadCase& c = GetParam();
    Document document;
    document.setTitle("old title");
    document.setArtist("old artist");
    document.setHeaderLines({"stale"});
    document.setInfoLines({"stale"});
    ReadTaggedLyricsText(document, c.file, c.options);

    std::vector<std::string> lyrics;
    for (int i = 0; i < document.lyrics.count(); ++i) {
        const LyricLine& line = document.lyrics.line(i);
        EXPECT_FALSE(line.checked());
        lyrics.push_back(line.timeText + "|" + line.lyricText);
    }
    EXPECT_THAT(lyrics, ElementsAreArray(c.lyrics));
    EXPECT_THAT(document.headerLines(), ElementsAreArray(c.headerLines));
    EXPECT_THAT(document.infoLines(), ElementsAreArray(c.infoLines));
    EXPECT_EQ(document.title(), c.title);
    EXPECT_EQ(document.artist(), c.artist);
    EXPECT_TRUE(document.loadedFromFile());
}

const ReaderOptions kImport{};
const ReaderOptions kNoImport{.importInfo = false};
const ReaderOptions kEditedBy{.editedBy = true, .author = "ed"};
const ReplacementConsent kDecline = [](const std::vector<char32_t>&) { return false; };

INSTANTIATE_TEST_SUITE_P(
    Files, ReadTaggedLyricsTest,
    testing::Values(ReadCase{"WrittenFormReadsBack",
                             "@Title=ABC\r\n@Artist=XYZ\r\n[00:12:34]a\r\n[00:00:00]b\r\n\r\n@"
                             "TimeRatio=1\r\nlate\r\n",
                             kImport,
                             {"00:12:34|a", "00:00:00|b"},
                             {"@Title=ABC", "@Artist=XYZ"},
                             {"@TimeRatio=1"},
                             "ABC",
                             "XYZ"},
                    ReadCase{"NoImportKeepsFields",
                             "@Title=ABC\n[00:01:00]a\n@x\n",
                             kNoImport,
                             {"00:01:00|a"},
                             {"@Title=ABC"},
                             {},
                             "old title",
                             "old artist"},
                    ReadCase{"PlainLyricsAllHeader",
                             "one\r\ntwo\r\n",
                             kImport,
                             {},
                             {"one", "two"},
                             {},
                             "old title",
                             "old artist"},
                    ReadCase{"FirstModeHeadIsALyricLine",
                             Sj("[00:00:00]曲名「T」 歌手「A」\r\n"),
                             kImport,
                             {"00:00:00|" + Sj("曲名「T」 歌手「A」")},
                             {},
                             {},
                             "old title",
                             "old artist"},
                    ReadCase{"SecondTagRemoved",
                             Sj("[00:10:00][00:20:00]サビ"),
                             kImport,
                             {"00:10:00|" + Sj("サビ")},
                             {},
                             {},
                             "old title",
                             "old artist"},
                    ReadCase{"InnerTagRemoved",
                             Sj("[00:10:00]こん[00:11:00]にちは"),
                             kImport,
                             {"00:10:00|" + Sj("こんにちは")},
                             {},
                             {},
                             "old title",
                             "old artist"},
                    ReadCase{"DecimalPointTagIsStandardLrc",
                             "[00:12.34]text",
                             kImport,
                             {"00:12:34|text"},
                             {},
                             {},
                             "old title",
                             "old artist"},
                    ReadCase{"OffsetAnywhereShiftsAll",
                             "[00:01:00]a\n@Offset=500\n",
                             kImport,
                             {"00:01:50|a"},
                             {},
                             {"@Offset=0"},
                             "old title",
                             "old artist"},
                    ReadCase{"NegativeOffsetClampsAtZero",
                             "@Offset=-3000\n[00:02:00]a\n[00:05:00]b",
                             kImport,
                             {"00:00:00|a", "00:02:00|b"},
                             {"@Offset=-3000"},
                             {"@Offset=0"},
                             "old title",
                             "old artist"},
                    ReadCase{"LastOffsetWins",
                             "@Offset=500\n@Offset=x\n[00:01:00]a",
                             kImport,
                             {"00:01:00|a"},
                             {"@Offset=500", "@Offset=x"},
                             {"@Offset=0", "@Offset=0"},
                             "old title",
                             "old artist"},
                    ReadCase{"OffsetWithoutImportStaysInHeader",
                             "@Offset=1000\n[00:01:00]a",
                             kNoImport,
                             {"00:02:00|a"},
                             {"@Offset=1000"},
                             {},
                             "old title",
                             "old artist"},
                    ReadCase{"BadTagPlusOffset",
                             "@Offset=1000\n[x]a",
                             kNoImport,
                             {"00:00:99|a"},
                             {"@Offset=1000"},
                             {},
                             "old title",
                             "old artist"},
                    ReadCase{"EditedByAddedAfterImport",
                             "[00:01:00]a\n@EditedBy=someone\n",
                             kEditedBy,
                             {"00:01:00|a"},
                             {},
                             {"@EditedBy=someone", "@EditedBy=ed"},
                             "old title",
                             "old artist"},
                    ReadCase{"BracketWithoutCloseIsNoTag",
                             "[00:01:00 no close\n[00:02:00]b",
                             kImport,
                             {"00:02:00|b"},
                             {"[00:01:00 no close"},
                             {},
                             "old title",
                             "old artist"},
                    ReadCase{"UnclosedInnerBracketSkipsToEnd",
                             "[00:01:00]a[b",
                             kImport,
                             {"00:01:00|a"},
                             {},
                             {},
                             "old title",
                             "old artist"},
                    // The second bytes of 81 5B and 83 5D are "[" and "]", which are no brackets.
                    ReadCase{"TwoByteCharactersKeepTheirBrackets",
                             "[00:01:00]\x81[\x83]x",
                             kImport,
                             {"00:01:00|\x81[\x83]x"},
                             {},
                             {},
                             "old title",
                             "old artist"},
                    ReadCase{"CloseBracketInsideCharacterIsNoClose",
                             "[00:01\x83]x",
                             kImport,
                             {},
                             {"[00:01\x83]x"},
                             {},
                             "old title",
                             "old artist"},
                    ReadCase{"NegativeMinutes",
                             "[-1:00:00]a",
                             kImport,
                             {"00:00:00|a"},
                             {},
                             {},
                             "old title",
                             "old artist"},
                    ReadCase{"HugeMinutes",
                             "[99999999999:0]a",
                             kImport,
                             {"00:00:00|a"},
                             {},
                             {},
                             "old title",
                             "old artist"},
                    ReadCase{"InvalidBytesSurvive",
                             "[00:01:00]\xFF\x80\xFD\n\xA0\x81",
                             kImport,
                             {"00:01:00|\xFF\x80\xFD"},
                             {},
                             {},
                             "old title",
                             "old artist"},
                    ReadCase{"NulEndsText",
                             std::string("[00:01:00]a\0[00:02:00]b", 23),
                             kImport,
                             {"00:01:00|a"},
                             {},
                             {},
                             "old title",
                             "old artist"},
                    ReadCase{"LoneCrBreaks",
                             "[00:01:00]a\r[00:02:00]b\r",
                             kImport,
                             {"00:01:00|a", "00:02:00|b"},
                             {},
                             {},
                             "old title",
                             "old artist"},
                    ReadCase{"EmptyFile", "", kImport, {}, {}, {}, "old title", "old artist"}),
    [](const auto& info) { return info.param.name; });

// Standard LRC, song tags and the exports read only the "@" lines of the
// head, so a read that leaves the others out changes no byte they write.
class PlainHeaderLinesTest : public testing::TestWithParam<std::string> {};

TEST_P(PlainHeaderLinesTest, LeftOutChangeNothingTheExportsWrite) {
    for (const bool importInfo : {true, false}) {
        Document whole;
        Document lean;
        ReadTaggedLyricsText(whole, GetParam(), {.importInfo = importInfo});
        ReadTaggedLyricsText(lean, GetParam(),
                             {.importInfo = importInfo, .keepPlainHeaderLines = false});
        std::vector<std::string> atLines;
        std::copy_if(whole.headerLines().begin(), whole.headerLines().end(),
                     std::back_inserter(atLines),
                     [](const std::string& line) { return line.starts_with("@"); });
        EXPECT_EQ(lean.headerLines(), atLines) << importInfo;
        for (const StandardLrcOptions& options :
             {StandardLrcOptions{}, StandardLrcOptions{.keepUntimed = true}}) {
            EXPECT_EQ(FormatStandardLrc(lean, options, "by"),
                      FormatStandardLrc(whole, options, "by"))
                << importInfo;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, PlainHeaderLinesTest,
    testing::Values("\n\n\n[00:01.00]a\n",
                    "notes\r\n@Offset=500\r\n\r\n[00:01.00]a\r\n[00:02.00]b\r\n",
                    "@Title=T\n[ti:U]\n\n[00:00:50]x\n[00:00:00]y\n", "only text\n\n@x\n",
                    "\n\r\n\r", "[offset:300]\n@Offset=-200\n[00:02.00][00:01.00]z\n"));

TEST(ReadTaggedLyrics, MissingFileKeepsLinesAndReportsFailure) {
    TempFolder folder;
    Document document;
    document.lyrics.assign({"kept"});
    document.setHeaderLines({"h"});
    document.setInfoLines({"i"});
    EXPECT_FALSE(ReadTaggedLyrics(document, folder.path() / "missing.txt", kEditedBy, kDecline));
    EXPECT_THAT(document.headerLines(), IsEmpty());
    EXPECT_THAT(document.infoLines(), IsEmpty());
    ASSERT_EQ(document.lyrics.count(), 1);
    EXPECT_TRUE(document.loadedFromFile());
    EXPECT_FALSE(ReadTaggedLyrics(document, folder.path(), kImport, kDecline))
        << "a folder is no file";
}

TEST(ReadTaggedLyrics, TenMegabyteLine) {
    TempFolder folder;
    const std::string text(10 * 1024 * 1024, '\x82');  // lead bytes without end: still no hang
    folder.write("big.txt", "[00:01:00]" + text + "\r\n[" + text);
    Document document;
    ASSERT_TRUE(ReadTaggedLyrics(document, folder.path() / "big.txt", kImport, kDecline));
    ASSERT_EQ(document.lyrics.count(), 1);
    EXPECT_EQ(document.lyrics.line(0).lyricText.size(), text.size());
    ASSERT_EQ(document.headerLines().size(), 0U);
}

// A file is read in pieces, each given back once its lines are read; what the
// text says at its end (a line of several times, which calls for a sort)
// still reaches the lines of the first piece, and a line with units keeps its
// place and the line of the file it came from through the sort.
TEST(ReadTaggedLyrics, FileReadInPiecesReadsAsAWhole) {
    std::string file = "@Title=t\r\n" + Sj("[00:02:00]あ[00:08:00]い") + "\r\n";
    for (int i = 0; i < 200000; ++i) file += "[00:04:00]filler\r\n";
    file += "[00:03.00][00:01.00]b\r\n";
    ASSERT_GT(file.size(), std::size_t{3} << 20);
    TempFolder folder;
    folder.write("long.txt", file);
    Document pieces;
    const LyricsFileRead read = ReadTaggedLyrics(pieces, folder.path() / "long.txt",
                                                 {.encoding = TextEncoding::ShiftJis}, kDecline);
    ASSERT_TRUE(read);
    Document whole;
    const LyricsReadReport report = ReadTaggedLyricsText(whole, file, kImport);
    ASSERT_EQ(pieces.lyrics.count(), 200003);
    ASSERT_EQ(whole.lyrics.count(), pieces.lyrics.count());
    EXPECT_TRUE(std::equal(
        pieces.lyrics.lines().begin(), pieces.lyrics.lines().end(), whole.lyrics.lines().begin(),
        [](const LyricLine& a, const LyricLine& b) {
            return a.lyricText == b.lyricText && a.timeText == b.timeText && a.units == b.units;
        }));
    EXPECT_EQ(pieces.headerLines(), whole.headerLines());
    EXPECT_EQ(pieces.title(), "t");
    EXPECT_EQ(read.report.warnings, report.warnings);
    std::vector<std::string> firstLines;
    for (int i = 0; i < 4; ++i)
        firstLines.push_back(pieces.lyrics.line(i).timeText + " " +
                             pieces.lyrics.line(i).lyricText);
    EXPECT_THAT(firstLines, ElementsAre("00:01:00 b", "00:02:00 " + Sj("あい"), "00:03:00 b",
                                        "00:04:00 filler"));
    EXPECT_EQ(pieces.lyrics.line(1).units.units.size(), 2u);
    EXPECT_THAT(read.report.warnings, ElementsAre(testing::StartsWith("2行目: ")));
}

TEST(ReadTaggedLyrics, RoundTripKeepsTheBytesOfEveryLine) {
    // Read and written again, a file in the editor's own form comes back byte
    // for byte, broken Shift-JIS included.
    const std::string file = "@Title=ABC\r\n[00:12:34]\xFF\x80 x\x81\r\n[00:00:00]" +
                             Sj("さようなら") + "\r\n\r\n@TimeRatio=1\r\n";
    TempFolder folder;
    folder.write("in.txt", file);
    Document document;
    ASSERT_TRUE(ReadTaggedLyrics(document, folder.path() / "in.txt", kNoImport, kDecline));
    ASSERT_FALSE(WriteTextFile(folder.path() / "out.txt",
                               BuildCompletedText(document, {.songInfo = SongInfoMode::None})));
    EXPECT_EQ(folder.read("out.txt"), file);
}

TEST(ReadTaggedLyrics, OffsetIsNotAppliedTwice) {
    Document document;
    ReadTaggedLyricsText(document, "[00:02:00]a\r\n@Offset=1000\r\n", kImport);
    const std::string written = JoinLinesCrLf(BuildCompletedText(document, {}));
    ReadTaggedLyricsText(document, written, kImport);
    EXPECT_EQ(document.lyrics.line(0).timeText, "00:03:00");
}

TEST(ReadTaggedLyrics, HeadInfoLinesAppearTwiceWhenWrittenAgain) {
    Document document;
    ReadTaggedLyricsText(document, "@Title=T\r\n@Artist=A\r\n[00:01:00]x\r\n", kImport);
    EXPECT_THAT(BuildCompletedText(document, {}),
                ElementsAre("@Title=T", "@Artist=A", "@Title=T", "@Artist=A", "[00:01:00]x", "",
                            "@TimeRatio=1"));
}

}  // namespace
}  // namespace obrin
