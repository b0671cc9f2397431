// obrin-cli's saves of a song under a full disk and a kill: the song is
// either replaced whole or left byte for byte, and no hidden copy of it stays.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "cli_run.h"
#include "temp_folder.h"

extern char** environ;

namespace obrin {
namespace {

namespace fs = std::filesystem;
using test::Quote;
using test::TempFolder;
using testing::HasSubstr;

bool Succeeds(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

bool HaveFfmpeg() {
    static const bool have = Succeeds("ffmpeg -version >/dev/null 2>&1");
    return have;
}

// Lyrics long enough that their tag outgrows any padding the song has.
std::string ManyTimedLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const int cs = i * 10;
        char time[16];
        std::snprintf(time, sizeof time, "[%02d:%02d:%02d]", cs / 6000, cs / 100 % 60, cs % 100);
        text += std::string(time) + "line " + std::to_string(i) + " of the song\r\n";
    }
    return text;
}

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// How the room runs out while TagLib rewrites the copy of the song.
enum class Room {
    // A file system holding the song, its temporary copy and four pages more.
    FourPages,
    // A file-size limit 64 bytes short of the tagged song: only its last bytes
    // (an ID3v1 tag, the end of the last Ogg page) are lost.
    CutShortOfTheEnd,
};

struct FullDiskCase {
    const char* name;
    const char* file;
    const char* encode;  // ffmpeg's output options
    Room room;
};

void PrintTo(const FullDiskCase& c, std::ostream* os) {
    *os << c.name;
}

class CliFullDiskTest : public testing::TestWithParam<FullDiskCase> {};

TEST_P(CliFullDiskTest, TagRefusesACopyThatLostAudioOrTags) {
    if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    const FullDiskCase& c = GetParam();
    if (c.room == Room::FourPages && (::geteuid() != 0 || !Succeeds("unshare -m true 2>/dev/null")))
        GTEST_SKIP() << "a small file system needs root and a mount namespace of its own";
    TempFolder folder;
    const std::string song = c.file;
    ASSERT_TRUE(Succeeds("ffmpeg -v error -nostdin -f lavfi -i sine=frequency=440:duration=20 " +
                         std::string(c.encode) + " " + Quote((folder / song).string())));
    folder.write("in.lrc", ManyTimedLines(3000));
    const std::string original = folder.read(song);

    const std::string cli = Quote(OBRIN_CLI_PATH) + " tag " + song + " ../in.lrc 2>../stderr";
    std::string run;
    if (c.room == Room::FourPages) {
        constexpr std::size_t kPage = 4096;
        const std::size_t pages = (original.size() + kPage - 1) / kPage;
        run = "unshare -m sh -c " +
              Quote("mount -t tmpfs -o size=" + std::to_string((2 * pages + 4) * kPage) +
                    " tmpfs disk && cp " + song + " disk/ && cd disk && " + cli +
                    "; echo $? >../status; cp " + song + " ../after; ls -A >../listing");
    } else {
        fs::create_directory(folder / "whole");
        fs::copy_file(folder / song, folder / "whole" / song);
        ASSERT_TRUE(Succeeds("cd " + Quote((folder / "whole").string()) + " && " + cli));
        const auto tagged = fs::file_size(folder / "whole" / song);
        run = "cp " + song +
              " disk/ && cd disk && trap '' XFSZ; prlimit --fsize=" + std::to_string(tagged - 64) +
              " " + cli + "; echo $? >../status; cp " + song + " ../after; ls -A >../listing";
    }
    fs::create_directory(folder / "disk");
    ASSERT_TRUE(Succeeds("cd " + Quote(folder.path().string()) + " && " + run));

    EXPECT_EQ(folder.read("status"), "1\n");
    EXPECT_THAT(folder.read("stderr"), HasSubstr("書き込んだ曲を確かめられませんでした"));
    EXPECT_TRUE(folder.read("after") == original) << "the song changed";
    EXPECT_EQ(folder.read("listing"), song + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Songs, CliFullDiskTest,
    testing::Values(FullDiskCase{"Flac", "song.flac", "-c:a flac", Room::FourPages},
                    FullDiskCase{"M4aIndexInFront", "song.m4a", "-c:a aac -movflags +faststart",
                                 Room::FourPages},
                    FullDiskCase{"OggVorbis", "song.ogg", "-c:a libvorbis", Room::CutShortOfTheEnd},
                    FullDiskCase{"Mp3WithId3v1", "song.mp3", "-c:a libmp3lame -write_id3v1 1",
                                 Room::CutShortOfTheEnd}),
    [](const auto& info) { return std::string(info.param.name); });

// A song big enough that a save is still under way when the signal comes:
// bare MPEG frames, repeated.
const std::string& BigSong() {
    static const std::string bytes = [] {
        TempFolder folder;
        if (!Succeeds("ffmpeg -v error -nostdin -f lavfi -i sine=frequency=440:duration=1 -c:a "
                      "libmp3lame -write_xing 0 -id3v2_version 0 " +
                      Quote((folder / "one.mp3").string())))
            return std::string();
        const std::string second = folder.read("one.mp3");
        std::string song;
        while (song.size() < 48u << 20) song += second;
        return song;
    }();
    return bytes;
}

struct SignalCase {
    const char* name;
    int signal;
    std::vector<std::string> args;  // in a folder holding big.mp3 and in.lrc
};

void PrintTo(const SignalCase& c, std::ostream* os) {
    *os << c.name;
}

class CliSignalTest : public testing::TestWithParam<SignalCase> {};

TEST_P(CliSignalTest, StoppedSaveLeavesNoTemporaryCopy) {
    if (!HaveFfmpeg() || BigSong().empty()) GTEST_SKIP() << "ffmpeg is not installed";
    const SignalCase& c = GetParam();
    TempFolder folder;
    folder.write("big.mp3", BigSong());
    folder.write("in.lrc", ManyTimedLines(20));
    const std::vector<std::string> before = Entries(folder.path());

    std::vector<std::string> args = {OBRIN_CLI_PATH};
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.path().c_str());
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    ASSERT_EQ(posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    // The signal comes once the hidden temporary file is there.
    int status = 0;
    bool ended = false;
    while (Entries(folder.path()).size() == before.size()) {
        if (::waitpid(child, &status, WNOHANG) == child) {
            ended = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_FALSE(ended) << "the save ended before any temporary file was seen";
    ASSERT_EQ(::kill(child, c.signal), 0);
    ASSERT_EQ(::waitpid(child, &status, 0), child);

    ASSERT_TRUE(WIFSIGNALED(status)) << "exited with " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), c.signal);
    EXPECT_EQ(Entries(folder.path()), before);
    EXPECT_TRUE(folder.read("big.mp3") == BigSong()) << "the song changed";
}

INSTANTIATE_TEST_SUITE_P(
    Saves, CliSignalTest,
    testing::Values(SignalCase{"TagOnTerm", SIGTERM, {"tag", "big.mp3", "in.lrc"}},
                    SignalCase{"TagOnInterrupt", SIGINT, {"tag", "big.mp3", "in.lrc"}},
                    SignalCase{
                        "LyricMp3OnHangUp", SIGHUP, {"mp3", "in.lrc", "big.mp3", "out.mp3"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
