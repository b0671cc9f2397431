// obrin-cli snc, mp3 and batch: the files they write through the export
// libraries, the lines they print and their refusals.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "base/sjis_codec.h"
#include "cli_run.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using test::CliRun;
using test::RunCli;
using test::TempFolder;
using testing::HasSubstr;

const std::string kAudio = "\xFF\xFB\x90\x64 audio";

std::string FullWidth(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "\x82\xa0";
    return text;
}

std::string Record(const std::string& digits, const std::string& text) {
    return "\xA2\xE2" + digits + "\xA2\xD0" + text + "\r\n";
}

TEST(CliSnc, WritesTheFileAndStopsAtAWarningOnlyWhenAsked) {
    TempFolder folder;
    const std::string longLine = FullWidth(16) + "x";
    folder.write("song.lrc", "[00:01:20]" + longLine + "\r\n[00:02:00]\r\n[01:23:45]" +
                                 Utf8ToSjis("終わり") + "\r\n");

    const CliRun written = RunCli(folder, {"snc", "song.lrc", "out.snc"});
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(folder.read("out.snc"),
              Record("00000120", longLine) + Record("00012340", Utf8ToSjis("終わり")));

    const CliRun warned = RunCli(folder, {"snc", "--warn-remote", "song.lrc", "warned.snc"});
    EXPECT_EQ(warned.status, 1);
    EXPECT_THAT(warned.err, HasSubstr("1行目がリモコンへ表示しきれません"));
    EXPECT_FALSE(std::filesystem::exists(folder / "warned.snc"));

    // 33 bytes fit the player: the body warning lets the line pass.
    EXPECT_EQ(RunCli(folder, {"snc", "--warn-body", "song.lrc", "body.snc"}).status, 0);
}

TEST(CliMp3, PrintsTheSongsResultLine) {
    TempFolder folder;
    folder.write("a.mp3", kAudio);
    folder.write("fits.lrc", "[00:01:00]short\r\n");
    folder.write("long.lrc", "[00:01:00]" + FullWidth(20) + "\r\n[00:02:00]x\r\n");

    CliRun run = RunCli(folder, {"mp3", "fits.lrc", "a.mp3", "out.mp3"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "○ a.mp3\n");
    const std::string bytes = folder.read("out.mp3");
    EXPECT_EQ(bytes.substr(0, 3), "ID3");
    EXPECT_EQ(bytes.substr(bytes.size() - kAudio.size()), kAudio);

    run = RunCli(folder, {"mp3", "long.lrc", "a.mp3", "out.mp3"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "△(40) a.mp3\n");

    run = RunCli(folder, {"mp3", "fits.lrc", "missing.mp3", "other.mp3"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "×(1) missing.mp3\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "other.mp3"));
}

TEST(CliMp3, RefusesTheSourceAsOutputUnderAnyName) {
    TempFolder folder;
    folder.write("a.mp3", kAudio);
    folder.write("a.lrc", "[00:01:00]x\r\n");
    std::filesystem::create_symlink(folder / "a.mp3", folder / "link.mp3");
    for (const char* output : {"a.mp3", "./a.mp3", "link.mp3"}) {
        const CliRun run = RunCli(folder, {"mp3", "a.lrc", "a.mp3", output});
        EXPECT_EQ(run.status, 1) << output;
        EXPECT_THAT(run.err, HasSubstr("同じファイル名は指定できません")) << output;
        EXPECT_EQ(run.out, "") << output;
    }
    EXPECT_EQ(folder.read("a.mp3"), kAudio);
}

TEST(CliBatch, ListsTheSongsAndHonoursTheSkipFlags) {
    TempFolder folder;
    std::filesystem::create_directories(folder / "in");
    std::filesystem::create_directories(folder / "out");
    folder.write("in/a.mp3", kAudio);
    folder.write("in/a.txt", "[00:01:00]txt\r\n");
    folder.write("in/a.lrc", "[00:01:00]lrc\r\n");
    folder.write("in/b.mp3", kAudio);
    folder.write("in/c.mp3", kAudio);
    folder.write("in/c.txt", "[00:01:00]" + FullWidth(25) + "\r\n");

    CliRun run = RunCli(folder, {"batch", "in", "out"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "○ in/a.mp3\n○ in/a.mp3\n▲(50) in/c.mp3\n--- 終了 ---\n");
    // Not a terminal: no progress bar.
    EXPECT_EQ(run.err, "");
    EXPECT_THAT(folder.read("out/a.mp3"), HasSubstr("lrc\r\n"));
    EXPECT_TRUE(std::filesystem::exists(folder / "out/c.mp3"));

    run = RunCli(folder, {"batch", "--skip-body", "in", "out"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "out/c.mp3"));
    EXPECT_TRUE(std::filesystem::exists(folder / "out/a.mp3"));
}

TEST(CliBatch, RefusesOneFolderGivenTwice) {
    TempFolder folder;
    std::filesystem::create_directories(folder / "in");
    folder.write("in/a.mp3", kAudio);
    folder.write("in/a.txt", "[00:01:00]x\r\n");
    std::filesystem::create_directory_symlink(folder / "in", folder / "link");
    for (const char* destination : {"in", "in/", "./in", "link"}) {
        const CliRun run = RunCli(folder, {"batch", "in", destination});
        EXPECT_EQ(run.status, 1) << destination;
        EXPECT_THAT(run.err, HasSubstr("同じフォルダは指定できません")) << destination;
        EXPECT_EQ(run.out, "") << destination;
    }
    EXPECT_EQ(folder.read("in/a.mp3"), kAudio);
}

}  // namespace
}  // namespace obrin
