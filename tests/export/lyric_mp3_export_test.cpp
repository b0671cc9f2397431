// The lyric-MP3 export through the real tessary library: its results, what
// reaches the file, and a library that is missing or not tessary.
#include "export/lyric_mp3_export.h"

#include <gtest/gtest.h>

#include "export/export_messages.h"
#include "export_fixture.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using test::FullWidth;
using test::kAudio;
using test::LyricsOf;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

struct ResultCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> lines;
    int code;
    bool written;

    friend void PrintTo(const ResultCase& c, std::ostream* os) { *os << c.name; }
};

class LyricMp3ExportResults : public testing::TestWithParam<ResultCase> {};

TEST_P(LyricMp3ExportResults, CodeAndOutput) {
    const ResultCase& c = GetParam();
    TempFolder folder;
    WriteBytes(folder / "a.mp3", kAudio);
    const LyricMp3Result result =
        LyricMp3Export(LyricsOf(c.lines), ProgramFolder(), (folder / "a.mp3").string(),
                       (folder / "out.mp3").string());
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(result.written, c.written);
    EXPECT_EQ(result.errorMessage, "");
    EXPECT_EQ(std::filesystem::exists(folder / "out.mp3"), c.written);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LyricMp3ExportResults,
    testing::Values(ResultCase{"EmptyList", {}, kLyricMp3NoLines, false},
                    // Nothing is passed on; the result cannot tell this from 0 alone.
                    ResultCase{"AllLinesEmpty", {{"00:01:00", ""}, {"00:02:00", ""}}, 0, true},
                    ResultCase{
                        "LongestLine",
                        {{"00:01:00", "short"}, {"00:02:00", FullWidth(20)}, {"00:03:00", ""}},
                        -40,
                        true},
                    ResultCase{"BeyondFormat", {{"00:01:00", std::string(2042, 'x')}}, 4, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LyricMp3Export, AllEmptyLinesWriteTheEmptyTagBeforeTheSource) {
    TempFolder folder;
    WriteBytes(folder / "a.mp3", kAudio);
    const auto result = LyricMp3Export(LyricsOf({{"00:01:00", ""}}), ProgramFolder(),
                                       (folder / "a.mp3").string(), (folder / "out.mp3").string());
    ASSERT_TRUE(result.written);
    const std::string bytes = ReadBytes(folder / "out.mp3");
    ASSERT_EQ(bytes.size(), 45 + kAudio.size());
    EXPECT_EQ(bytes.substr(0, 3), "ID3");
    EXPECT_EQ(bytes.substr(45), kAudio);
}

TEST(LyricMp3Export, TimesArePassedWithTheirHundredthsAndKeptInSeconds) {
    TempFolder folder;
    WriteBytes(folder / "a.mp3", kAudio);
    const auto result = LyricMp3Export(LyricsOf({{"01:23:45", "abc"}}), ProgramFolder(),
                                       (folder / "a.mp3").string(), (folder / "out.mp3").string());
    ASSERT_EQ(result.code, -3);
    const std::string bytes = ReadBytes(folder / "out.mp3");
    // The one item's seconds at offset 35: 83 456 ms → 83.
    EXPECT_EQ(bytes.substr(35, 4), std::string("\x53\0\0\0", 4));
    EXPECT_EQ(bytes.substr(43, 9),
              "00\xA2\xD0"
              "abc\r\n");
}

TEST(LyricMp3Export, UnreadableSourceAndOutputAreTheLibrarysCodes) {
    TempFolder folder;
    WriteBytes(folder / "a.mp3", kAudio);
    const LyricList lyrics = LyricsOf({{"00:01:00", "abc"}});
    EXPECT_EQ(LyricMp3Export(lyrics, ProgramFolder(), (folder / "none.mp3").string(),
                             (folder / "out.mp3").string())
                  .code,
              1);
    EXPECT_EQ(LyricMp3Export(lyrics, ProgramFolder(), (folder / "a.mp3").string(),
                             (folder / "no" / "out.mp3").string())
                  .code,
              2);
    // The source under another name is refused before it is touched.
    EXPECT_EQ(LyricMp3Export(lyrics, ProgramFolder(), (folder / "a.mp3").string(),
                             (folder / "." / "a.mp3").string())
                  .code,
              2);
    EXPECT_EQ(ReadBytes(folder / "a.mp3"), kAudio);
}

TEST(LyricMp3Export, AnUnreadableTimeStopsWithItsMessageAndWritesNothing) {
    TempFolder folder;
    WriteBytes(folder / "a.mp3", kAudio);
    // Three minute digits are what a time of 100 minutes or more gives.
    const auto result =
        LyricMp3Export(LyricsOf({{"00:01:00", "a"}, {"100:00:00", "b"}}), ProgramFolder(),
                       (folder / "a.mp3").string(), (folder / "out.mp3").string());
    EXPECT_EQ(result.code, 0);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.errorMessage,
              "':0' は有効な整数値ではありません\n"
              "2行目の時刻 100:00:00 は歌詞MP3に書けません(書ける時刻は 99:59:99 まで)");
    EXPECT_FALSE(std::filesystem::exists(folder / "out.mp3"));
}

// A text file named ".mp3" would become a tag in front of text, which no
// player plays.
TEST(LyricMp3Export, ASourceThatIsNoMpegAudioIsRefusedWithItsName) {
    TempFolder folder;
    const auto source = folder / "lyrics.mp3";
    WriteBytes(source, "[00:01:00]歌詞\r\n");
    const auto result = LyricMp3Export(LyricsOf({{"00:01:00", "a"}}), ProgramFolder(),
                                       source.string(), (folder / "out.mp3").string());
    EXPECT_EQ(result.code, 1);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.errorMessage, source.string() + " はMP3ファイルではありません");
    EXPECT_FALSE(std::filesystem::exists(folder / "out.mp3"));
}

TEST(LyricMp3Export, MissingOrForeignLibraryIsReportedAndWritesNothing) {
    TempFolder folder;
    WriteBytes(folder / "a.mp3", kAudio);
    const test::ScratchProgramFolder empty;
    const test::ScratchProgramFolder foreign("marlet.so", "tessary.so");
    for (const auto& [programFolder, message] :
         {std::pair{empty.path(), kTessaryMissingMessage},
          std::pair{foreign.path(), kTessaryInvalidMessage}}) {
        // Even an empty list: the library is looked for first.
        for (const LyricList& lyrics : {LyricsOf({{"00:01:00", "abc"}}), LyricList()}) {
            const auto result = LyricMp3Export(lyrics, programFolder, (folder / "a.mp3").string(),
                                               (folder / "out.mp3").string());
            EXPECT_EQ(result.code, 0);
            EXPECT_FALSE(result.written);
            EXPECT_EQ(result.errorMessage, message);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "out.mp3"));
}

}  // namespace
}  // namespace obrin
