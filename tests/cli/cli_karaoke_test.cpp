// obrin-cli karaoke split / spread and ruby, run as a user would.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

struct KaraokeCase {
    const char* name;
    std::vector<std::string> args;
    std::string file;  // "in.txt"
    std::string out;
};

class CliKaraokeTest : public testing::TestWithParam<KaraokeCase> {};

TEST_P(CliKaraokeTest, Prints) {
    TempFolder folder;
    folder.write("in.txt", GetParam().file);
    const CliRun run = RunCli(folder, GetParam().args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, GetParam().out);
}

const std::string kRubyLyrics =
    Sj("[00:01:00]明日は[00:02:00]晴れ\r\n[00:03:00]きゃりー\r\n[00:04:00]おわり\r\n\r\n"
       "@Ruby1=明日,あした\r\n");

INSTANTIATE_TEST_SUITE_P(
    Subcommands, CliKaraokeTest,
    testing::Values(
        KaraokeCase{"Split",
                    {"karaoke", "split", "in.txt"},
                    Sj("[00:01:00]あ[00:01:50]い[00:02:00]\r\n[00:03:00]明日、Hello world\r\n"
                       "[00:00:00]ちょっと\r\n\r\n@Ruby1=明日,あした\r\n"),
                    Sj("[00:01:00]あ|[00:01:50]い[00:02:00]\r\n"
                       "[00:03:00]明日、(あ)|(し)|(た)|Hello |world\r\nちょ|っ|と\r\n")},
        KaraokeCase{"SpreadByMorae",
                    {"karaoke", "spread", "in.txt"},
                    kRubyLyrics,
                    Sj("[00:01:00]明日は[00:02:00]晴れ\r\n"
                       "[00:03:00]きゃ[00:03:33]り[00:03:66]ー\r\n[00:04:00]おわり\r\n\r\n"
                       "@Ruby1=明日,あした\r\n"
                       "@TimeRatio=1\r\n")},
        KaraokeCase{"SpreadLeavesTimedAndLastLines",
                    {"karaoke", "spread", "in.txt"},
                    Sj("[00:01:00]明日は\r\n[00:02:00]あい[00:02:50]う\r\n[00:04:00]おわり\r\n"
                       "\r\n@Ruby1=明日,あした\r\n"),
                    Sj("[00:01:00]明日[00:01:75]は\r\n[00:02:00]あい[00:02:50]う\r\n"
                       "[00:04:00]おわり\r\n\r\n@Ruby1=明日,あ[00:00:25]し[00:00:50]た\r\n"
                       "@TimeRatio=1\r\n")},
        KaraokeCase{"RubySuggestsWhatHasNoReading",
                    {"ruby", "in.txt"},
                    kRubyLyrics,
                    Sj("@Ruby2=晴,は\r\n")}),
    [](const auto& info) { return info.param.name; });

TEST(CliKaraoke, SpreadWritesOutAndRefusesItsInput) {
    TempFolder folder;
    folder.write("in.txt", kRubyLyrics);
    const CliRun run = RunCli(folder, {"karaoke", "spread", "-o", "out.txt", "in.txt"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(folder.read("out.txt"), HasSubstr(Sj("[00:03:00]きゃ[00:03:33]り")));
    const CliRun over = RunCli(folder, {"karaoke", "spread", "-o", "in.txt", "in.txt"});
    EXPECT_EQ(over.status, 1);
    EXPECT_EQ(folder.read("in.txt"), kRubyLyrics);
}

TEST(CliKaraoke, UsageAndBadInput) {
    TempFolder folder;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"karaoke"}, {"karaoke", "wipe", "in.txt"}, {"ruby"}}) {
        const CliRun run = RunCli(folder, args);
        EXPECT_EQ(run.status, 2) << args.back();
        EXPECT_THAT(run.err, HasSubstr("usage: obrin-cli"));
    }
    folder.write("bad.txt", Sj("[00:02:00]あ[00:01:00]い\r\n\r\n@Ruby1=空,そら\r\n"));
    const CliRun run = RunCli(folder, {"karaoke", "split", "bad.txt"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Sj("[00:02:00]あ|[00:01:00]い\r\n"));
    EXPECT_THAT(run.err, HasSubstr("1行目: "));
    EXPECT_THAT(run.err, HasSubstr("3行目: "));
}

}  // namespace
}  // namespace obrin
