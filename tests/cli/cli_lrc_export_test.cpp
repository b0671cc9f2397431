// std-lrc, tag, ass and --encoding through the built obrin-cli.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_run.h"
#include "sjis_lines.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using test::CliRun;
using test::RunCli;
using test::Sj;
using test::TempFolder;
using testing::HasSubstr;

// The editor's own file: Shift-JIS, "[mm:ss:cc]", CR LF, an untimed line.
const std::string kEditorFile = "@Title=ABC\r\n[00:12:34]" + Sj("こんにちは") + "\r\n[00:00:00]" +
                                Sj("さようなら") + "\r\n[01:02:03]x\r\n\r\n@TimeRatio=1\r\n";
const std::string kUtf8Lrc = "[ti:ABC]\n[ar:歌手]\n[00:12.34]こんにちは\n[01:02.03]x\n";
// Enhanced LRC: word tags, one line closed by an end tag, one not.
const std::string kWordsLrc =
    "[00:10.00]<00:10.00>こん<00:10.50>にちは<00:11.20>\n[00:12.00]<00:12.00>さよう<00:12.40>"
    "なら\n";

struct StdLrcCase {
    const char* name;
    std::vector<std::string> args;
    std::string file;  // written as "in.lrc"
    std::string out;
};

class CliStdLrcTest : public testing::TestWithParam<StdLrcCase> {};

TEST_P(CliStdLrcTest, PrintsStandardLrc) {
    TempFolder folder;
    folder.write("in.lrc", GetParam().file);
    const CliRun run = RunCli(folder, GetParam().args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Options, CliStdLrcTest,
    testing::Values(
        StdLrcCase{"EditorFileDefaults",
                   {"std-lrc", "in.lrc"},
                   kEditorFile,
                   "[ti:ABC]\n[00:12.34]こんにちは\n[01:02.03]x\n"},
        StdLrcCase{"EditorFileAllOptions",
                   {"std-lrc", "--milliseconds", "--sjis", "--crlf", "--keep-untimed", "in.lrc"},
                   kEditorFile,
                   "[ti:ABC]\r\n[00:12.340]" + Sj("こんにちは") + "\r\n" + Sj("さようなら") +
                       "\r\n[01:02.030]x\r\n"},
        StdLrcCase{"Utf8LrcReadsBackTheSame", {"std-lrc", "in.lrc"}, kUtf8Lrc, kUtf8Lrc},
        StdLrcCase{
            "WordTagsReadBackTheSame", {"std-lrc", "--words", "in.lrc"}, kWordsLrc, kWordsLrc},
        StdLrcCase{"WordTagsOnlyWhenAsked",
                   {"std-lrc", "--milliseconds", "in.lrc"},
                   kWordsLrc,
                   "[00:10.000]こんにちは\n[00:12.000]さようなら\n"},
        StdLrcCase{"ForcedUtf16WithoutBom",
                   {"std-lrc", "--encoding", "utf-16", "in.lrc"},
                   std::string("[\0"
                               "0\0"
                               "0\0"
                               ":\0"
                               "0\0"
                               "1\0"
                               ".\0"
                               "0\0"
                               "0\0"
                               "]\0"
                               "a0",
                               22),
                   "[00:01.00]ち\n"},
        StdLrcCase{"ReplaceUnmappable",
                   {"std-lrc", "--replace", "in.lrc"},
                   "[00:01.00]café ♡\n",
                   "[00:01.00]caf・ ・\n"}),
    [](const auto& info) { return info.param.name; });

TEST(CliStdLrc, WritesOutAtomicallyAndLeavesNoTemporaryFile) {
    TempFolder folder;
    folder.write("in.lrc", kUtf8Lrc);
    folder.write("out.lrc", "old");
    const CliRun run = RunCli(folder, {"std-lrc", "-o", "out.lrc", "in.lrc"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(folder.read("out.lrc"), kUtf8Lrc);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++files;
    EXPECT_EQ(files, 2U);
}

TEST(CliEncoding, Utf8InputGivesTheEditorsShiftJisBytes) {
    TempFolder folder;
    folder.write("utf8.txt", "@Title=ABC\r\n[00:12:34]こんにちは\r\n");
    folder.write("sjis.txt", "@Title=ABC\r\n[00:12:34]" + Sj("こんにちは") + "\r\n");
    const CliRun fromUtf8 = RunCli(folder, {"lrc", "utf8.txt"});
    const CliRun forced = RunCli(folder, {"lrc", "--encoding", "utf-8", "utf8.txt"});
    const CliRun fromSjis = RunCli(folder, {"lrc", "sjis.txt"});
    EXPECT_EQ(fromUtf8.status, 0) << fromUtf8.err;
    EXPECT_EQ(fromUtf8.out, fromSjis.out);
    EXPECT_EQ(forced.out, fromSjis.out);
    // Standard input is detected too.
    const CliRun expanded = RunCli(folder, {"expand", "--no-last-blank"}, "歌\n詞\n");
    EXPECT_EQ(expanded.out, Sj("歌") + "\r\n" + Sj("詞") + "\r\n");
}

struct ErrorCase {
    const char* name;
    std::vector<std::string> args;
    std::string file;  // written as "in.lrc"
    int status;
    std::string message;
};

class CliLrcExportErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(CliLrcExportErrorTest, ReportsAndExits) {
    TempFolder folder;
    folder.write("in.lrc", GetParam().file);
    const CliRun run = RunCli(folder, GetParam().args);
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_THAT(run.err, HasSubstr(GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(
    Errors, CliLrcExportErrorTest,
    testing::Values(
        ErrorCase{"Unmappable",
                  {"std-lrc", "in.lrc"},
                  "[00:01.00]é♡😀\n",
                  1,
                  "「é」(U+00E9) ほか2文字はShift-JISで表せません"},
        ErrorCase{"UnmappableInPaste", {"paste", "in.lrc"}, "é\n", 1, "「é」(U+00E9)"},
        ErrorCase{"OddUtf16",
                  {"std-lrc", "in.lrc"},
                  std::string("\xFF\xFE"
                              "a",
                              3),
                  1,
                  "奇数"},
        ErrorCase{"NulInUtf8", {"lrc", "in.lrc"}, std::string("歌\0", 4), 1, "NUL"},
        ErrorCase{"UnknownEncoding",
                  {"std-lrc", "--encoding", "latin-1", "in.lrc"},
                  "",
                  2,
                  "--encoding takes"},
        ErrorCase{"Missing", {"std-lrc", "none.lrc"}, "", 1, "歌詞を開くのに失敗しました"},
        ErrorCase{"MalformedTimesWarn",
                  {"std-lrc", "in.lrc"},
                  "[00:01.00]a\n[0x:12]b\n",
                  0,
                  "タイムタグとして読めない行が1行あります(最初は2行目)"},
        ErrorCase{"NoLyricLinesWarn",
                  {"std-lrc", "in.lrc"},
                  "just words\n",
                  0,
                  "タイムタグの付いた歌詞の行がありません"},
        ErrorCase{"TagNeedsLyrics", {"tag", "song.mp3"}, "", 2, "missing argument"},
        ErrorCase{"TagReadTakesSongAlone", {"tag", "--read", "a", "b"}, "", 2, "--read"},
        ErrorCase{"TagMissingSong",
                  {"tag", "none.mp3", "in.lrc"},
                  "[00:01.00]a\n",
                  1,
                  "曲のファイルがありません"}),
    [](const auto& info) { return info.param.name; });

bool MakeMp3(const TempFolder& folder, const char* name) {
    const std::string command =
        "ffmpeg -v error -nostdin -f lavfi -i sine=frequency=440:duration=1 -c:a libmp3lame '" +
        (folder / name).string() + "'";
    return std::system(command.c_str()) == 0;
}

TEST(CliTag, WritesAndReadsBack) {
    TempFolder folder;
    ASSERT_TRUE(MakeMp3(folder, "song.mp3"));
    folder.write("in.lrc", kEditorFile);
    const CliRun none = RunCli(folder, {"tag", "--read", "song.mp3"});
    EXPECT_EQ(none.status, 1);
    EXPECT_THAT(none.err, HasSubstr("歌詞タグがありません"));

    const CliRun write = RunCli(folder, {"tag", "song.mp3", "in.lrc"});
    ASSERT_EQ(write.status, 0) << write.err;
    const CliRun read = RunCli(folder, {"tag", "--read", "song.mp3"});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, "[ti:ABC]\n[00:12.34]こんにちは\n[01:02.03]x\n");
}

// A write that fails half-way (here: the copy may not grow past the song's own
// size) leaves the song byte for byte as it was, and no copy behind.
TEST(CliTag, FailedWriteLeavesTheSongByteIdentical) {
    TempFolder folder;
    ASSERT_TRUE(MakeMp3(folder, "song.mp3"));
    std::string lyrics;
    for (int i = 0; i < 300; ++i)
        lyrics += "[00:" + std::to_string(10 + i % 50) + ":00]" + Sj("長い歌詞の行です") + "\r\n";
    folder.write("in.lrc", lyrics);
    const std::string before = folder.read("song.mp3");
    const std::size_t blocks = before.size() / 512 + 1;  // dash counts 512-byte blocks
    const CliRun run = RunCli(folder, {"tag", "song.mp3", "in.lrc"}, "",
                              "trap '' XFSZ; ulimit -f " + std::to_string(blocks) + "; ");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_THAT(run.err, HasSubstr("曲はそのままです"));
    EXPECT_EQ(folder.read("song.mp3"), before);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"in.lrc", "song.mp3"}));
}

TEST(CliTag, ReadOnlySongIsRefused) {
    TempFolder folder;
    ASSERT_TRUE(MakeMp3(folder, "song.mp3"));
    folder.write("in.lrc", kUtf8Lrc);
    std::filesystem::permissions(folder / "song.mp3", std::filesystem::perms::owner_read);
    const std::string before = folder.read("song.mp3");
    const CliRun run = RunCli(folder, {"tag", "song.mp3", "in.lrc"});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("読み取り専用"));
    EXPECT_EQ(folder.read("song.mp3"), before);
}

// The event times ffmpeg's ASS reader (libavformat's, the one libass-based
// players share the syntax with) finds, as SRT "start --> end" lines.
std::vector<std::string> FfmpegEventTimes(const TempFolder& folder, const char* ass,
                                          std::string& errors) {
    const std::string command = "ffmpeg -v error -nostdin -i '" + (folder / ass).string() +
                                "' -f srt - 2>'" + (folder / "ffmpeg.err").string() + "'";
    std::string srt;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            srt.append(buffer, n);
        if (::pclose(pipe) != 0) errors = "ffmpeg failed";
    }
    errors += folder.read("ffmpeg.err");
    // An SRT timing line is "hh:mm:ss,mmm --> hh:mm:ss,mmm" and nothing else.
    std::vector<std::string> times;
    for (std::size_t start = 0; start < srt.size();) {
        std::size_t end = srt.find('\n', start);
        if (end == std::string::npos) end = srt.size();
        std::string line = srt.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() == 29 && line.substr(12, 5) == " --> ") times.push_back(line);
        start = end + 1;
    }
    return times;
}

TEST(CliAss, FfmpegReadsTheEventsAtTheLinesTimes) {
    TempFolder folder;
    folder.write("in.lrc", kEditorFile);
    // Without a lead-in the events start at the lines' times.
    for (const auto& [leadIn, starts] :
         {std::pair{"0", std::pair{"00:00:12,340", "00:01:02,030"}},
          std::pair{"0.5", std::pair{"00:00:11,840", "00:01:01,530"}}}) {
        const CliRun run = RunCli(folder, {"ass", "--lead-in", leadIn, "-o", "out.ass", "in.lrc"});
        ASSERT_EQ(run.status, 0) << run.err;
        std::string errors;
        EXPECT_EQ(FfmpegEventTimes(folder, "out.ass", errors),
                  (std::vector<std::string>{std::string(starts.first) + " --> 00:00:22,340",
                                            std::string(starts.second) + " --> 00:01:12,030"}));
        EXPECT_EQ(errors, "");
    }
}

// A ruby Comment beside the Dialogue: ffmpeg still reads the file cleanly and
// plays the Dialogue alone.
TEST(CliAss, FfmpegReadsAScriptWithRubyComments) {
    TempFolder folder;
    folder.write("in.txt", "[00:10:00]" + Sj("明日") + "[00:10:50]" + Sj("は") +
                               "[00:11:00]\r\n\r\n@Ruby1=" + Sj("明日,あ[00:00:30]し") + "\r\n");
    const CliRun run = RunCli(folder, {"ass", "--lead-in", "0", "-o", "out.ass", "in.txt"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(folder.read("out.ass"), HasSubstr(",karaoke,{\\k0}{\\kf30}明日|あ{\\kf20}#|し"
                                                  "{\\kf50}は\n"));
    std::string errors;
    EXPECT_EQ(FfmpegEventTimes(folder, "out.ass", errors),
              std::vector<std::string>{"00:00:10,000 --> 00:00:11,000"});
    EXPECT_EQ(errors, "");
}

TEST(CliAss, UnitsWipeInsideTheirLinesEvent) {
    TempFolder folder;
    folder.write("in.lrc", kWordsLrc);
    const CliRun run = RunCli(folder, {"ass", "in.lrc"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("\nDialogue: 0,0:00:09.00,0:00:11.20,Default,,0,0,0,,"
                                   "{\\k100}{\\kf50}こん{\\kf70}にちは\n"
                                   "Dialogue: 0,0:00:11.00,0:00:22.00,Default,,0,0,0,,"
                                   "{\\k100}{\\kf40}さよう{\\kf960}なら\n"));
}

// The SYLT frame as another program (mutagen) reads it: one entry per unit,
// each line's first opening with "\n", milliseconds; and the lyrics read back.
TEST(CliTag, SyllablesAreSyltEntries) {
    TempFolder folder;
    ASSERT_TRUE(MakeMp3(folder, "song.mp3"));
    folder.write("in.lrc", kWordsLrc);
    const CliRun write = RunCli(folder, {"tag", "--syllables", "song.mp3", "in.lrc"});
    ASSERT_EQ(write.status, 0) << write.err;
    folder.write("sylt.py",
                 "import sys\n"
                 "from mutagen.id3 import ID3\n"
                 "for frame in ID3(sys.argv[1]).getall('SYLT'):\n"
                 "    print(frame.format, frame.lang)\n"
                 "    for text, ms in frame.text:\n"
                 "        print(ms, repr(text))\n");
    const std::string command = "/usr/bin/python3 '" + (folder / "sylt.py").string() + "' '" +
                                (folder / "song.mp3").string() + "' >'" +
                                (folder / "sylt.txt").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(folder.read("sylt.txt"),
              "2 jpn\n10000 '\\nこん'\n10500 'にちは'\n12000 '\\nさよう'\n12400 'なら'\n");
    const CliRun read = RunCli(folder, {"tag", "--read", "song.mp3"});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, kWordsLrc);
}

TEST(CliAss, RefusesALeadInThatIsNoTime) {
    TempFolder folder;
    folder.write("in.lrc", kEditorFile);
    for (const char* leadIn : {"-1", "1.234", "abc", "1.", ""}) {
        const CliRun run = RunCli(folder, {"ass", "--lead-in", leadIn, "in.lrc"});
        EXPECT_EQ(run.status, 2) << leadIn;
        EXPECT_THAT(run.err, HasSubstr("--lead-in")) << leadIn;
    }
}

}  // namespace
}  // namespace obrin
