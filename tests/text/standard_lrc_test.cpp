#include "text/standard_lrc.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/time_text.h"
#include "sjis_lines.h"
#include "temp_folder.h"
#include "text/tagged_lyrics_reader.h"

namespace obrin {
namespace {

using test::Sj;
using test::TempFolder;
using testing::ElementsAre;
using testing::ElementsAreArray;

const ReplacementConsent kDecline = [](const std::vector<char32_t>&) { return false; };

// Reads UTF-8 text through a file, as the editor's open does, and lists the
// lines as "time|text" (text back in UTF-8).
std::vector<std::string> ReadUtf8(const std::string& utf8, Document& document,
                                  const ReaderOptions& options = {}) {
    TempFolder folder;
    folder.write("in.lrc", utf8);
    EXPECT_TRUE(ReadTaggedLyrics(document, folder / "in.lrc", options, kDecline));
    std::vector<std::string> lines;
    for (int i = 0; i < document.lyrics.count(); ++i)
        lines.push_back(document.lyrics.line(i).timeText + "|" +
                        SjisToUtf8(document.lyrics.line(i).lyricText));
    return lines;
}

struct DialectCase {
    const char* name;
    const char* file;  // UTF-8
    std::vector<std::string> lines;
};

class StandardLrcDialectTest : public testing::TestWithParam<DialectCase> {};

TEST_P(StandardLrcDialectTest, GivesTheDocumentsTimes) {
    Document document;
    EXPECT_THAT(ReadUtf8(GetParam().file, document), ElementsAreArray(GetParam().lines));
}

INSTANTIATE_TEST_SUITE_P(
    Dialects, StandardLrcDialectTest,
    testing::Values(
        DialectCase{"Hundredths", "[00:12.34]歌\n", {"00:12:34|歌"}},
        DialectCase{"Milliseconds", "[00:12.345]歌\n", {"00:12:34|歌"}},
        DialectCase{"Tenths", "[00:12.3]歌\n", {"00:12:30|歌"}},
        DialectCase{"NoFraction", "[02:05]歌\n", {"02:05:00|歌"}},
        DialectCase{"OneDigitMinute", "[1:02.50]歌\n", {"01:02:50|歌"}},
        DialectCase{"Hours", "[01:02:03.45]歌\n", {"62:03:45|歌"}},
        // The editor's own tag keeps its reading: minutes, seconds, hundredths.
        DialectCase{"EditorsTagIsNotHours", "[01:02:03]歌\n", {"01:02:03|歌"}},
        DialectCase{"Mixed",
                    "[00:01.00]一\r\n[00:02:00]二\r\n[0:03.5]三\r\n",
                    {"00:01:00|一", "00:02:00|二", "00:03:50|三"}},
        DialectCase{
            "WordTimesStripped", "[00:01.00]<00:01.00>歌<00:01.50>詞 <b>\n", {"00:01:00|歌詞 <b>"}},
        // Several tags: the line at each time, the whole list in time order.
        DialectCase{"RepeatedTags",
                    "[00:30.00][00:10.00]サビ\n[00:20.00]間\n[00:40.00]終\n",
                    {"00:10:00|サビ", "00:20:00|間", "00:30:00|サビ", "00:40:00|終"}},
        DialectCase{"OffsetPositiveIsSooner", "[offset:+500]\n[00:10.00]歌\n", {"00:09:50|歌"}},
        DialectCase{"OffsetNegativeIsLater", "[offset:-500]\n[00:10.00]歌\n", {"00:10:50|歌"}},
        DialectCase{
            "OffsetWithAtOffset", "[offset:500]\n@Offset=200\n[00:10.00]歌\n", {"00:09:70|歌"}},
        DialectCase{"OffsetClampsAtZero", "[offset:5000]\n[00:01.00]歌\n", {"00:00:00|歌"}},
        // After the times, brackets are text in standard LRC and markup in the
        // editor's own files.
        DialectCase{"BracketsAreTextInStandardLrc",
                    "[00:01.00]歌詞 [Chorus] 続き\n[00:02][00:03]ラ[ラ]\n",
                    {"00:01:00|歌詞 [Chorus] 続き", "00:02:00|ラ[ラ]", "00:03:00|ラ[ラ]"}},
        DialectCase{"BracketsAreMarkupInTheEditorsFiles",
                    "[00:01:00]歌詞 [Chorus] 続き\n[00:02]ラ[ラ]\n",
                    {"00:01:00|歌詞  続き", "00:02:00|ラ"}}),
    [](const auto& info) { return info.param.name; });

TEST(StandardLrcReader, HeaderTagsGoIntoTitleArtistAndInformationLines) {
    const char* file =
        "[ti:夜明け]\n[ar: 歌手 ]\n[al:盤]\n[by:me]\n[length:03:10]\n[re:tool]\n[00:01.00]歌\n";
    Document document;
    EXPECT_THAT(ReadUtf8(file, document), ElementsAre("00:01:00|歌"));
    EXPECT_EQ(document.title(), Sj("夜明け"));
    EXPECT_EQ(document.artist(), Sj("歌手"));
    EXPECT_THAT(document.infoLines(),
                ElementsAre(Sj("@Album=盤"), "@TaggingBy=me", "@Length=03:10"));
    EXPECT_TRUE(document.headerLines().empty());

    Document plain;
    plain.setTitle("kept");
    EXPECT_THAT(ReadUtf8(file, plain, {.importInfo = false}), ElementsAre("00:01:00|歌"));
    EXPECT_EQ(plain.title(), "kept");
    EXPECT_TRUE(plain.infoLines().empty());
}

TEST(StandardLrcReader, ReportsTagsThatAreNoTime) {
    Document document;
    const LyricsReadReport report =
        ReadTaggedLyricsText(document, "[00:01.00]a\n[Chorus]b\n[0x:1y]c\n[]d\n", {});
    EXPECT_EQ(report.unreadableTags, 3);
    EXPECT_EQ(report.firstUnreadableLine, 2);
    EXPECT_EQ(UnreadableTagsMessage(report),
              "タイムタグとして読めない行が3行あります(最初は2行目)");
    // They stand at 0, as such lines always have.
    EXPECT_EQ(document.lyrics.line(1).timeText, "00:00:00");
    EXPECT_EQ(document.lyrics.line(1).lyricText, "b");
}

struct StandardTagCase {
    const char* tag;
    std::int32_t ms;
};

class ParseStandardTimeTagTest : public testing::TestWithParam<StandardTagCase> {};

TEST_P(ParseStandardTimeTagTest, Parses) {
    EXPECT_EQ(ParseStandardTimeTag(GetParam().tag), GetParam().ms);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseStandardTimeTagTest,
    testing::Values(StandardTagCase{"00:12.34", 12340}, StandardTagCase{"123:04.56", 7384560},
                    StandardTagCase{"1:00:00.001", 3600001}, StandardTagCase{"00:12.", -1},
                    StandardTagCase{"00:12.3456", -1}, StandardTagCase{"-1:00.00", -1},
                    StandardTagCase{"12", -1}, StandardTagCase{"1:2:3:4.5", -1},
                    StandardTagCase{"a:00.00", -1}, StandardTagCase{"99999999:00.00", -1}));

Document WriterDocument() {
    Document document;
    document.setTitle("ABC");
    document.setArtist(Sj("歌手"));
    document.lyrics.assignLines({
        {.lyricText = Sj("こんにちは"), .timeText = "00:12:34"},
        {.lyricText = Sj("さようなら"), .timeText = "00:00:00"},
        {.lyricText = "", .timeText = "00:20:00"},
        {.lyricText = "x", .timeText = "123:04:56"},
    });
    return document;
}

TEST(StandardLrcWriter, DefaultIsUtf8HundredthsLfWithoutUntimedLines) {
    EXPECT_EQ(FormatStandardLrc(WriterDocument(), {}, "me"),
              "[ti:ABC]\n[ar:歌手]\n[by:me]\n[00:12.34]こんにちは\n[00:20.00]\n[123:04.56]x\n");
}

TEST(StandardLrcWriter, OptionsChangeTimesLineEndsEncodingAndUntimedLines) {
    Document document = WriterDocument();
    document.setTitle({});
    document.setArtist({});
    EXPECT_EQ(FormatStandardLrc(
                  document,
                  {.milliseconds = true, .shiftJis = true, .crlf = true, .keepUntimed = true}, ""),
              "[00:12.340]" + Sj("こんにちは") + "\r\n" + Sj("さようなら") +
                  "\r\n[00:20.000]\r\n[123:04.560]x\r\n");
}

// Lines at 0 ahead of the first later line open the song; later ones are
// untimed, and so are all when no line is later.
TEST(StandardLrcWriter, LinesAtZeroAheadOfTheFirstTimeOpenTheSong) {
    Document document;
    document.lyrics.assignLines({{.lyricText = "Title", .timeText = "00:00:00"},
                                 {.lyricText = "a", .timeText = "00:01:00"},
                                 {.lyricText = "later", .timeText = "00:00:00"}});
    EXPECT_EQ(FormatStandardLrc(document, {}, ""), "[00:00.00]Title\n[00:01.00]a\n");
    EXPECT_EQ(FormatStandardLrc(document, {.keepUntimed = true}, ""),
              "[00:00.00]Title\n[00:01.00]a\nlater\n");
    document.lyrics.assignLines({{.lyricText = "a", .timeText = "00:00:00"}});
    EXPECT_EQ(FormatStandardLrc(document, {}, ""), "");
    EXPECT_EQ(FormatStandardLrc(document, {.keepUntimed = true}, ""), "a\n");
}

// A long file goes out in pieces of a bounded size, each ending with a whole
// line (a UTF-8 character is never cut), that together are the whole file.
TEST(StandardLrcWriter, LongFileGoesOutInBoundedPiecesOfWholeLines) {
    Document document;
    std::vector<LyricLine> lines;
    std::string expected = "[by:me]\n";
    for (int i = 1; i <= 20000; ++i) {
        lines.push_back({.lyricText = Sj("こんにちは"), .timeText = FormatTimeText(i * 10)});
        expected += StandardTimeTag(i * 10, false) + "こんにちは\n";
    }
    document.lyrics.assignLines(std::move(lines));
    std::vector<std::string> pieces;
    WriteStandardLrc(document, {}, "me",
                     [&pieces](std::string_view piece) { pieces.emplace_back(piece); });
    EXPECT_GT(pieces.size(), 1u);
    std::string file;
    for (const std::string& piece : pieces) {
        EXPECT_LE(piece.size(), 256u * 1024);
        EXPECT_TRUE(piece.ends_with('\n'));
        file += piece;
    }
    EXPECT_TRUE(file == expected) << "the pieces are not the file";
}

// Every reader ends [ti:] at its first "]"; "ゾ" ends in the byte of "]".
TEST(StandardLrcWriter, BracketsInTitleAndArtistSurviveARead) {
    Document written;
    written.setTitle(Sj("[Live] ゾ"));
    written.setArtist("B]");
    written.lyrics.assignLines({{.lyricText = "a", .timeText = "00:01:00"}});
    const std::string file = FormatStandardLrc(written, {}, "");
    EXPECT_EQ(file, "[ti:[Live］ ゾ]\n[ar:B］]\n[00:01.00]a\n");
    Document document;
    ReadUtf8(file, document);
    EXPECT_EQ(document.title(), Sj("[Live］ ゾ"));
    EXPECT_EQ(document.artist(), Sj("B］"));
}

TEST(StandardLrcWriter, AppliesTheDocumentsOffset) {
    Document document = WriterDocument();
    document.setHeaderLines({"@Offset=-34"});
    document.setInfoLines({"@Offset=7"});  // the last one counts, as when read
    EXPECT_THAT(SyncedLines(document).front().ms, 12347);
    EXPECT_EQ(StandardTimeTag(12347, false), "[00:12.34]");
    EXPECT_EQ(StandardTimeTag(12347, true), "[00:12.347]");
}

TEST(StandardLrcWriter, AuthorFromTheDocumentOrTheSettings) {
    Document document;
    EXPECT_EQ(LrcAuthor(document, true, "me"), "me");
    EXPECT_EQ(LrcAuthor(document, false, "me"), "");
    document.setLoadedFromFile(true);
    EXPECT_EQ(LrcAuthor(document, true, "me"), "");
    document.setInfoLines({"@TaggingBy=", "@TaggingBy=them"});
    EXPECT_EQ(LrcAuthor(document, true, "me"), "them");
}

TEST(StandardLrcWriter, StandardFileReadAndWrittenAgainIsTheSame) {
    const std::string file = "[ti:T]\n[ar:歌手]\n[by:me]\n[00:01.00]歌\n[01:02.50]詞\n";
    Document document;
    ReadUtf8(file, document);
    EXPECT_EQ(FormatStandardLrc(document, {}, LrcAuthor(document, false, "")), file);
}

}  // namespace
}  // namespace obrin
