// obrin-cli on inputs and outputs that cannot be used as they stand: each
// must give its message and exit 1, and leave every file as it was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "base/sjis_codec.h"
#include "cli_run.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using test::Quote;
using test::TempFolder;
using testing::HasSubstr;

struct HardCase {
    const char* name;
    std::string shell;  // run in the folder with $CLI set; gives its own redirections
    int status;
    const char* message;  // part of standard error
};

void PrintTo(const HardCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string kKept = "[00:01:00]a\r\n";

class CliHardeningTest : public testing::TestWithParam<HardCase> {};

TEST_P(CliHardeningTest, ExitsOneWithItsMessageAndChangesNothing) {
    const HardCase& c = GetParam();
    TempFolder folder;
    folder.write("keep.txt", kKept);
    folder.write("plain.txt", "a\r\n");
    std::filesystem::create_symlink("loop.txt", folder / "loop.txt");
    std::filesystem::create_symlink("keep.txt", folder / "alias.txt");

    const std::string command = "cd " + Quote(folder.path().string()) +
                                " && CLI=" + Quote(OBRIN_CLI_PATH) + " && " + c.shell + " 2>stderr";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw)) << "ended by signal " << WTERMSIG(raw);
    EXPECT_EQ(WEXITSTATUS(raw), c.status);
    EXPECT_THAT(folder.read("stderr"), HasSubstr(c.message));
    EXPECT_EQ(folder.read("keep.txt"), kKept);
}

const std::string kLongName = std::string(300, 'n') + ".txt";

INSTANTIATE_TEST_SUITE_P(
    Inputs, CliHardeningTest,
    testing::Values(
        HardCase{"LinkLoopLyrics", "$CLI lrc loop.txt >out", 1, "歌詞を開くのに失敗しました"},
        HardCase{"LinkLoopText", "$CLI expand loop.txt >out", 1, "を開けません"},
        HardCase{"OverlongName", "$CLI expand " + kLongName + " >out", 1, "を開けません"},
        HardCase{"ReadErrorLyrics", "$CLI lrc /proc/self/mem >out", 1,
                 "歌詞を開くのに失敗しました"},
        HardCase{"ReadErrorText", "$CLI expand /proc/self/mem >out", 1, "を開けません"},
        HardCase{"ReadErrorObt", "$CLI obt combine /proc/self/mem plain.txt >out", 1,
                 "を開けません"},
        HardCase{"ReadErrorPlain", "$CLI obt combine keep.txt /proc/self/mem >out", 1,
                 "を開けません"},
        HardCase{"StdinIsFolder", "$CLI paste -o keep.txt <. >out", 1, "標準入力を読めません"},
        HardCase{"StdinClosed", "$CLI paste -o keep.txt <&- >out", 1, "標準入力を読めません"},
        HardCase{"ObtOverItsLyrics", "$CLI obt save keep.txt keep.txt", 1,
                 "入力と同じファイルには書き込めません"},
        HardCase{"ObtOverItsLyricsByLink", "$CLI obt save keep.txt alias.txt", 1,
                 "入力と同じファイルには書き込めません"},
        HardCase{"SncOverItsLyrics", "$CLI snc keep.txt keep.txt", 1,
                 "入力と同じファイルには書き込めません"},
        HardCase{"SncOverItsLyricsDotted", "$CLI snc keep.txt ./keep.txt", 1,
                 "入力と同じファイルには書き込めません"},
        HardCase{"StdLrcOverItsLyrics", "$CLI std-lrc -o keep.txt keep.txt", 1,
                 "入力と同じファイルには書き込めません"},
        HardCase{"StdLrcOverItsLyricsByLink", "$CLI std-lrc -o alias.txt keep.txt", 1,
                 "入力と同じファイルには書き込めません"},
        HardCase{"Mp3OverItsLyrics", "$CLI mp3 keep.txt s.mp3 keep.txt", 1,
                 "入力と同じファイルには書き込めません"},
        HardCase{"Mp3OverItsLyricsByLink", "$CLI mp3 keep.txt s.mp3 ./alias.txt", 1,
                 "入力と同じファイルには書き込めません"},
        HardCase{"HelpToFullDisk", "$CLI --help >/dev/full", 1, "標準出力に書けません"},
        HardCase{"UsageToFullDisk", "$CLI lrc --help >/dev/full", 1, "標準出力に書けません"}),
    [](const auto& info) { return std::string(info.param.name); });

// An address-space limit is meaningless under the sanitizers, which reserve
// terabytes for their shadow memory; there the case is not built at all.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Nested repeat blocks that expand to millions of lines: within the rules,
// but more than a small address space holds.
std::string RunawayExpansion() {
    const std::string mark = Utf8ToSjis("※");
    std::string text = mark + "a\r\n";
    for (int i = 0; i < 2998; ++i) text += "a\r\n";
    text += "a" + mark + "\r\n";
    for (int i = 0; i < 3000; ++i) text += mark + "\r\n";
    return text;
}

TEST(CliHardening, ExpansionBeyondMemoryIsAMessageNotACrash) {
    TempFolder folder;
    folder.write("runaway.txt", RunawayExpansion());
    folder.write("keep.txt", kKept);
    for (const char* subcommand : {"expand runaway.txt", "paste -o keep.txt runaway.txt"}) {
        const std::string command = "cd " + Quote(folder.path().string()) +
                                    " && ulimit -v 400000 && " + Quote(OBRIN_CLI_PATH) + " " +
                                    subcommand + " >out 2>stderr";
        const int raw = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(raw)) << subcommand << ": ended by signal " << WTERMSIG(raw);
        EXPECT_EQ(WEXITSTATUS(raw), 1) << subcommand;
        EXPECT_THAT(folder.read("stderr"), HasSubstr("メモリが不足しています"));
        EXPECT_EQ(folder.read("keep.txt"), kKept);
    }
}

#endif

}  // namespace
}  // namespace obrin
