// Runs the built obrin-cli and compares its bytes, messages and exit codes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
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

const std::string kPlain =
    Sj("夜明けの街を\r\n※君と歩こう\r\n　どこまでも※\r\n\r\n\r\n@Title="
       "夜明け\r\n二番の歌詞\r\n※くり返し\r\n");
const std::string kExpanded =
    Sj("夜明けの街を\r\n君と歩こう\r\nどこまでも\r\n\r\n二番の歌詞\r\n君と歩こう\r\nどこまでも\r\n"
       "\r\n");

struct OutputCase {
    const char* name;
    std::vector<std::string> args;
    std::string file;   // written as "in.txt" beforehand
    std::string input;  // standard input
    std::string out;
};

class CliOutputTest : public testing::TestWithParam<OutputCase> {};

TEST_P(CliOutputTest, PrintsTheEditorsBytes) {
    TempFolder folder;
    folder.write("in.txt", GetParam().file);
    const CliRun run = RunCli(folder, GetParam().args, GetParam().input);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, GetParam().out);
}

const std::string kTagged = "@Title=ABC\r\n[00:12:34]" + Sj("こんにちは") + "\r\n[00:00:00]" +
                            Sj("さようなら") + "\r\n@Offset=10\r\n";

INSTANTIATE_TEST_SUITE_P(
    Subcommands, CliOutputTest,
    testing::Values(
        OutputCase{"ExpandStdin", {"expand"}, "", kPlain, kExpanded},
        OutputCase{"ExpandFile", {"expand", "in.txt"}, kPlain, "", kExpanded},
        OutputCase{"ExpandNoStar",
                   {"expand", "--no-star", "--no-last-blank", "--keep-info", "--keep-blank"},
                   "",
                   "a\r\n\r\n\r\n@x\r\n" + Sj("※b") + "\r\n",
                   "a\r\n\r\n\r\n@x\r\n" + Sj("※b") + "\r\n"},
        OutputCase{"Lrc",
                   {"lrc", "in.txt"},
                   kTagged,
                   "",
                   "@Title=ABC\r\n@Title=ABC\r\n[00:12:35]" + Sj("こんにちは") + "\r\n[00:00:01]" +
                       Sj("さようなら") + "\r\n\r\n@Offset=0\r\n@TimeRatio=1\r\n"},
        OutputCase{"LrcFirstWithFields",
                   {"lrc", "--info", "first", "--title", "夜", "--artist=XYZ", "--no-info-import",
                    "--author", "作者", "--tagging-by", "--edited-by", "in.txt"},
                   kTagged,
                   "",
                   Sj("[00:00:00]曲名「夜」 歌手「XYZ」") + "\r\n@Title=ABC\r\n[00:12:35]" +
                       Sj("こんにちは") + "\r\n[00:00:01]" + Sj("さようなら") + "\r\n\r\n" +
                       Sj("@EditedBy=作者") + "\r\n@TimeRatio=1\r\n"},
        OutputCase{
            "PasteTaggingBy",
            {"paste", "--info", "keyvalue", "--title", "T", "--author", "me", "--tagging-by"},
            "",
            "a\r\n@Title=x\r\n",
            "Title:T\r\n[00:00:00]a\r\n[00:00:00]\r\n\r\n@TaggingBy=me\r\n@TimeRatio=1\r\n"},
        OutputCase{"PasteNone",
                   {"paste", "--info", "none", "--no-last-blank", "-"},
                   "",
                   "a",
                   "[00:00:00]a\r\n\r\n@TimeRatio=1\r\n"}),
    [](const auto& info) { return info.param.name; });

struct FailureCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string message;  // part of standard error
};

class CliFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(CliFailureTest, ReportsAndExits) {
    TempFolder folder;
    folder.write("in.txt", kTagged);
    folder.write("bad.obt", "[TimeTag]\r\n100=97\r\nabc=98\r\n");
    folder.write("plain.txt", "a\r\nb\r\n");
    const CliRun run = RunCli(folder, GetParam().args);
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_THAT(run.err, HasSubstr(GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(
    Errors, CliFailureTest,
    testing::Values(
        FailureCase{"NoSubcommand", {}, 2, "usage: obrin-cli"},
        FailureCase{"UnknownSubcommand", {"frobnicate"}, 2, "unknown subcommand"},
        FailureCase{"UnknownOption", {"expand", "--bogus"}, 2, "unknown option: --bogus"},
        FailureCase{"MissingInput", {"lrc"}, 2, "usage: obrin-cli lrc"},
        FailureCase{"TooManyArguments", {"expand", "a", "b"}, 2, "too many arguments"},
        FailureCase{"BadInfoMode", {"lrc", "--info", "top", "in.txt"}, 2, "--info takes"},
        FailureCase{"MissingValue", {"lrc", "in.txt", "--title"}, 2, "--title needs a value"},
        FailureCase{"ObtWithoutAction", {"obt"}, 2, "usage: obrin-cli obt"},
        FailureCase{
            "MissingLyrics", {"lrc", "none.txt"}, 1, "歌詞を開くのに失敗しました: none.txt"},
        FailureCase{"LyricsFolder", {"lrc", "."}, 1, "歌詞を開くのに失敗しました"},
        FailureCase{"MissingExpandInput", {"expand", "none.txt"}, 1, "none.txt"},
        FailureCase{
            "NoShiftJisForm", {"lrc", "--title", "\xF0\x9F\x8E\xB5", "in.txt"}, 1, "U+1F3B5"},
        FailureCase{
            "UnwritableOutput", {"lrc", "-o", "no/such/out.txt", "in.txt"}, 1, "no/such/out.txt"},
        FailureCase{"CombineNonNumericKey",
                    {"obt", "combine", "bad.obt", "plain.txt"},
                    1,
                    "合成に失敗しました"},
        FailureCase{
            "CombineMissingObt", {"obt", "combine", "none.obt", "plain.txt"}, 1, "none.obt"}),
    [](const auto& info) { return info.param.name; });

TEST(CliHelp, EverySubcommandPrintsItsUsage) {
    TempFolder folder;
    for (const char* name : {"expand", "lrc", "paste", "obt"}) {
        const CliRun run = RunCli(folder, {name, "--help"});
        EXPECT_EQ(run.status, 0) << name;
        EXPECT_THAT(run.out, HasSubstr(std::string("usage: obrin-cli ") + name));
    }
    const CliRun overview = RunCli(folder, {"--help"});
    EXPECT_EQ(overview.status, 0);
    EXPECT_THAT(overview.out, HasSubstr("obt"));
}

TEST(CliOutputFile, ReplacesAtomically) {
    TempFolder folder;
    folder.write("in.txt", "[00:01:00]a\r\n");
    folder.write("out.txt", "an older and much longer file\r\n");
    const CliRun run = RunCli(folder, {"lrc", "--info", "none", "-o", "out.txt", "in.txt"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(folder.read("out.txt"), "[00:01:00]a\r\n\r\n@TimeRatio=1\r\n");
}

TEST(CliObt, SaveReplacesAndCombineRestoresTimes) {
    TempFolder folder;
    folder.write("song.obt", "[TimeTag]\r\n999999=1\r\n");
    folder.write("timed.txt", "[00:01:00]a\r\n[00:02:00]b\r\n");
    folder.write("plain.txt", "a\r\nb\r\n");
    CliRun run = RunCli(folder, {"obt", "save", "--keep-blank", "timed.txt", "song.obt"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(folder.read("song.obt"),
              "[Setting]\r\nExtract=1\r\nNullLine=0\r\nEndLine=1\r\n\r\n[TimeTag]\r\n1000=97\r\n"
              "2000=98\r\n\r\n[Info]\r\nOther=\r\n");

    run = RunCli(folder, {"obt", "combine", "song.obt", "plain.txt"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "[00:01:00]a\r\n[00:02:00]b\r\n[00:00:00]\r\n\r\n@TimeRatio=1\r\n");
}

TEST(CliObt, MismatchStopsUnlessYes) {
    TempFolder folder;
    folder.write("song.obt", "[TimeTag]\r\n1000=97\r\n2000=98\r\n");
    folder.write("plain.txt", "a\r\nX\r\n");
    CliRun run = RunCli(folder, {"obt", "combine", "song.obt", "plain.txt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("元の歌詞と異なりますが強制的に開きますか? (2行目)"));
    EXPECT_THAT(run.out, HasSubstr("[00:01:00]a\r\n[00:00:00]X\r\n"));

    run = RunCli(folder, {"obt", "combine", "--yes", "song.obt", "plain.txt"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("[00:01:00]a\r\n[00:02:00]X\r\n"));
}

}  // namespace
}  // namespace obrin
