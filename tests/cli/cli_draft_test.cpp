// obrin-cli draft, run as a user would, on a small song made with espeak-ng
// and sox (make_draft_song.sh): three lines starting at 1, 4 and 7 seconds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli_run.h"
#include "sjis_lines.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using test::CliRun;
using test::Quote;
using test::RunCli;
using test::Sj;
using test::TempFolder;
using testing::HasSubstr;

// The draft's bound on this song: every start within half a second.
constexpr int kBoundCs = 50;
const std::vector<int> kTrueStartsCs = {100, 400, 700};

// The start of each lyric line of the output in centiseconds (0 untimed),
// up to the empty line before the information lines.
std::vector<int> LineStarts(const std::string& out) {
    std::vector<int> starts;
    std::size_t at = 0;
    while (at < out.size()) {
        const std::size_t end = out.find("\r\n", at);
        const std::string line = out.substr(at, end == std::string::npos ? end : end - at);
        at = end == std::string::npos ? out.size() : end + 2;
        if (line.size() < 10 || line[0] != '[' || line[9] != ']') {
            starts.push_back(0);
            continue;
        }
        starts.push_back(std::stoi(line.substr(1, 2)) * 6000 + std::stoi(line.substr(4, 2)) * 100 +
                         std::stoi(line.substr(7, 2)));
    }
    return starts;
}

class CliDraftTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        songs_ = std::make_unique<TempFolder>();
        const std::string command =
            Quote(OBRIN_DRAFT_SONG_SCRIPT) + " " + Quote(songs_->path().string());
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    static void TearDownTestSuite() { songs_.reset(); }
    static std::string song(const char* name) { return (*songs_ / name).string(); }

    static std::unique_ptr<TempFolder> songs_;
    TempFolder folder_;
};

std::unique_ptr<TempFolder> CliDraftTest::songs_;

const std::string kPlainLyrics = Sj("星がひかる夜に\r\nふたりで歌おう\r\n風がふく朝に\r\n");

struct LyricsCase {
    const char* name;
    std::string lyrics;
    // The starts expected within the bound; exact where `exact` is set.
    std::vector<std::optional<int>> starts;
    std::vector<bool> exact;
};

class CliDraftLyricsTest : public CliDraftTest, public testing::WithParamInterface<LyricsCase> {};

TEST_P(CliDraftLyricsTest, ProposesTheStarts) {
    const LyricsCase& c = GetParam();
    folder_.write("lyrics.txt", c.lyrics);
    const CliRun run = RunCli(folder_, {"draft", song("song.wav"), "lyrics.txt"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<int> starts = LineStarts(run.out);
    ASSERT_GE(starts.size(), c.starts.size()) << run.out;
    for (std::size_t i = 0; i < c.starts.size(); ++i) {
        if (!c.starts[i]) {
            EXPECT_EQ(starts[i], 0) << i;
        } else if (c.exact[i]) {
            EXPECT_EQ(starts[i], *c.starts[i]) << i;
        } else {
            EXPECT_NEAR(starts[i], *c.starts[i], kBoundCs) << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lyrics, CliDraftLyricsTest,
    testing::Values(LyricsCase{"PlainLines", kPlainLyrics, {100, 400, 700}, {false, false, false}},
                    LyricsCase{"UntimedTaggedLines",
                               Sj("[00:00:00]星がひかる夜に\r\n[00:00:00]ふたりで歌おう\r\n"
                                  "[00:00:00]風がふく朝に\r\n"),
                               {100, 400, 700},
                               {false, false, false}},
                    // The anchor is off the true start on purpose: it is kept as it is.
                    LyricsCase{"AnchorKept",
                               Sj("[00:00:00]星がひかる夜に\r\n[00:04:33]ふたりで歌おう\r\n"
                                  "[00:00:00]風がふく朝に\r\n"),
                               {100, 433, 700},
                               {false, true, false}}),
    [](const testing::TestParamInfo<LyricsCase>& info) { return info.param.name; });

TEST_F(CliDraftTest, SpreadsTheUnitsOfEachLine) {
    folder_.write("lyrics.txt", Sj("ふたり\r\n"));
    const CliRun run = RunCli(folder_, {"draft", song("song.wav"), "lyrics.txt"});
    ASSERT_EQ(run.status, 0) << run.err;
    // "[t]ふ[t]た[t]り[end]": four tags on the line.
    const std::string first = run.out.substr(0, run.out.find("\r\n"));
    EXPECT_EQ(std::count(first.begin(), first.end(), '['), 4) << first;
}

TEST_F(CliDraftTest, MoreLinesThanPhrasesNamesTheLinesLeftUntimed) {
    folder_.write("lyrics.txt", kPlainLyrics + kPlainLyrics);
    const CliRun run = RunCli(folder_, {"draft", song("song.wav"), "lyrics.txt"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("歌声の中に置けない行があります"));
    const std::vector<int> starts = LineStarts(run.out);
    ASSERT_GE(starts.size(), 6u);
    EXPECT_EQ(std::count(starts.begin(), starts.begin() + 6, 0), 3) << run.out;
}

TEST_F(CliDraftTest, WritesTheOutputFile) {
    folder_.write("lyrics.txt", kPlainLyrics);
    const CliRun run = RunCli(folder_, {"draft", "-o", "out.txt", song("song.wav"), "lyrics.txt"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_NEAR(LineStarts(folder_.read("out.txt")).at(1), 400, kBoundCs);
}

struct FailureCase {
    const char* name;
    std::vector<std::string> args;  // "SONG:x" names a song of the suite
    int status;
    std::string message;
};

class CliDraftFailureTest : public CliDraftTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(CliDraftFailureTest, SaysWhyAndWritesNothing) {
    const FailureCase& c = GetParam();
    folder_.write("lyrics.txt", kPlainLyrics);
    folder_.write("noise.wav", "RIFF\x10\x00\x00\x00WAVEnot audio at all");
    std::vector<std::string> args;
    for (const std::string& arg : c.args)
        args.push_back(arg.rfind("SONG:", 0) == 0 ? song(arg.substr(5).c_str()) : arg);
    const CliRun run = RunCli(folder_, args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_THAT(run.err, HasSubstr(c.message));
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(folder_ / "out.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, CliDraftFailureTest,
    testing::Values(
        FailureCase{"NoVoice",
                    {"draft", "-o", "out.txt", "SONG:silence.wav", "lyrics.txt"},
                    1,
                    "歌声が見つかりません"},
        FailureCase{"TooLong",
                    {"draft", "-o", "out.txt", "SONG:long.wav", "lyrics.txt"},
                    1,
                    "曲が長すぎます"},
        FailureCase{
            "Undecodable", {"draft", "-o", "out.txt", "noise.wav", "lyrics.txt"}, 1, "noise.wav"},
        FailureCase{"MissingLyrics",
                    {"draft", "-o", "out.txt", "SONG:song.wav", "missing.txt"},
                    1,
                    "missing.txt"},
        FailureCase{"OneArgument", {"draft", "lyrics.txt"}, 2, "usage: obrin-cli draft"},
        FailureCase{"OutputOverLyrics",
                    {"draft", "-o", "lyrics.txt", "SONG:song.wav", "lyrics.txt"},
                    1,
                    "入力と同じファイルには書き込めません"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

}  // namespace
}  // namespace obrin
