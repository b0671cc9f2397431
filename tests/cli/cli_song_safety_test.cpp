// obrin-cli's saves of a song under a full disk and a signal: the song is
// either replaced whole or left byte for byte, and no hidden copy of it stays.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli_run.h"
#include "temp_folder.h"

namespace obrin {
namespace {

namespace fs = std::filesystem;
using test::Quote;
using test::TempFolder;
using testing::HasSubstr;

bool Succeeds(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

bool MakeSong(const fs::path& file, int seconds, const std::string& options) {
    return Succeeds("ffmpeg -v error -nostdin -f lavfi -i sine=frequency=440:duration=" +
                    std::to_string(seconds) + " " + options + " " + Quote(file.string()));
}

// Lyrics long enough that their tag outgrows any padding the song has.
std::string ManyTimedLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "[%02d:%02d:%02d]line %d\r\n", i / 600, i / 10 % 60,
                      i % 10 * 10, i);
        text += line;
    }
    return text;
}

// How the room runs out while TagLib rewrites the copy of the song.
enum class Room {
    FourPages,         // a file system holding the song, its copy and four pages more
    CutShortOfTheEnd,  // a file-size limit `cut` bytes short of the tagged song
};

struct FullDiskCase {
    const char* name;
    const char* file;
    const char* encode;  // ffmpeg's output options
    Room room;
    int cut = 0;
};

void PrintTo(const FullDiskCase& c, std::ostream* os) {
    *os << c.name;
}

class CliFullDiskTest : public testing::TestWithParam<FullDiskCase> {};

// TagLib reports success although its writes failed; the tagged copy lost
// audio frames or its last bytes (an ID3v1 tag, the end of an Ogg page).
TEST_P(CliFullDiskTest, TagRefusesACopyThatLostAudioOrTags) {
    const FullDiskCase& c = GetParam();
    if (c.room == Room::FourPages && (::geteuid() != 0 || !Succeeds("unshare -m true 2>/dev/null")))
        GTEST_SKIP() << "a small file system needs root and a mount namespace of its own";
    TempFolder folder;
    const std::string song = c.file;
    ASSERT_TRUE(MakeSong(folder / song, 20, c.encode));
    folder.write("in.lrc", ManyTimedLines(3000));
    const std::string original = folder.read(song);
    fs::create_directory(folder / "disk");

    const std::string tag = Quote(OBRIN_CLI_PATH) + " tag " + song + " ../in.lrc 2>../stderr";
    // The tag's exit status, the song as it is then, and the names beside it.
    const std::string report = "; echo $? >../status; cp " + song + " ../after; ls -A >../listing";
    std::string run;
    if (c.room == Room::FourPages) {
        const std::size_t pages = (original.size() + 4095) / 4096;
        run = "unshare -m sh -c " +
              Quote("mount -t tmpfs -o size=" + std::to_string((2 * pages + 4) * 4096) +
                    " tmpfs disk && cp " + song + " disk/ && cd disk && " + tag + report);
    } else {
        fs::copy_file(folder / song, folder / "disk" / song);
        ASSERT_TRUE(Succeeds("cd " + Quote((folder / "disk").string()) + " && " + tag));
        const auto tagged = fs::file_size(folder / "disk" / song);
        fs::copy_file(folder / song, folder / "disk" / song, fs::copy_options::overwrite_existing);
        run = "cd disk && trap '' XFSZ; prlimit --fsize=" + std::to_string(tagged - c.cut) + " " +
              tag + report;
    }
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
                    FullDiskCase{"OggVorbis", "song.ogg", "-c:a libvorbis", Room::CutShortOfTheEnd,
                                 64},
                    FullDiskCase{"Mp3WithId3v1", "song.mp3",
                                 "-c:a libmp3lame -write_id3v1 1 -metadata title=Dawn",
                                 Room::CutShortOfTheEnd, 128}),
    [](const auto& info) { return std::string(info.param.name); });

struct SignalCase {
    const char* name;
    int signal;
    const char* args;  // in a folder holding big.mp3 and in.lrc
};

void PrintTo(const SignalCase& c, std::ostream* os) {
    *os << c.name;
}

class CliSignalTest : public testing::TestWithParam<SignalCase> {};

// big.mp3 (bare MPEG frames, repeated to `megabytes`) and in.lrc in `folder`;
// returns the song's bytes.
std::string MakeLongSongAndLyrics(TempFolder& folder, std::size_t megabytes) {
    EXPECT_TRUE(MakeSong(folder / "one.mp3", 1, "-c:a libmp3lame -write_xing 0 -id3v2_version 0"));
    const std::string second = folder.read("one.mp3");
    fs::remove(folder / "one.mp3");
    std::string song;
    while (song.size() < megabytes << 20) song += second;
    folder.write("big.mp3", song);
    folder.write("in.lrc", ManyTimedLines(20));
    return song;
}

// Runs obrin-cli with `args` in `folder` in the background and sends it
// `signal` once a hidden temporary file is there; `prefix` comes first in the
// shell (a signal's disposition for the child). Writes the exit status to
// "status"; false when the run ended before its temporary file was seen.
bool SignalOnceTheTemporaryFileIsThere(const TempFolder& folder, const std::string& prefix,
                                       const std::string& args, int signal) {
    const std::string script = prefix + Quote(OBRIN_CLI_PATH) + " " + args +
                               " 2>/dev/null & child=$!; "
                               "until set -- .[!.]* && [ -e \"$1\" ]; do "
                               "kill -0 $child 2>/dev/null || exit 9; done; kill -" +
                               std::to_string(signal) + " $child; wait $child; echo $? >status";
    return Succeeds("cd " + Quote(folder.path().string()) + " && { " + script + "; }");
}

std::vector<std::string> NamesIn(const TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    return names;
}

// The signal comes once the hidden temporary file is there, while the save of
// a song of 48 MB is still under way. A shell starts its background jobs with
// SIGINT ignored; the child gets every signal at its default, as from a
// terminal.
TEST_P(CliSignalTest, StoppedSaveLeavesNoTemporaryCopy) {
    const SignalCase& c = GetParam();
    TempFolder folder;
    const std::string song = MakeLongSongAndLyrics(folder, 48);

    ASSERT_TRUE(SignalOnceTheTemporaryFileIsThere(folder, "env --default-signal=INT,TERM,HUP ",
                                                  c.args, c.signal))
        << "the save ended before its temporary file was seen";

    EXPECT_EQ(folder.read("status"), std::to_string(128 + c.signal) + "\n");
    fs::remove(folder / "status");
    EXPECT_THAT(NamesIn(folder), testing::UnorderedElementsAre("big.mp3", "in.lrc"));
    EXPECT_TRUE(folder.read("big.mp3") == song) << "the song changed";
}

INSTANTIATE_TEST_SUITE_P(Saves, CliSignalTest,
                         testing::Values(SignalCase{"TagOnTerm", SIGTERM, "tag big.mp3 in.lrc"},
                                         SignalCase{"TagOnInterrupt", SIGINT, "tag big.mp3 in.lrc"},
                                         SignalCase{"LyricMp3OnHangUp", SIGHUP,
                                                    "mp3 in.lrc big.mp3 out.mp3"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct IgnoredSignalCase {
    const char* name;
    int signal;
    const char* args;    // in a folder holding big.mp3 (48 MB), big.wav (2 minutes) and in.lrc
    const char* output;  // the file the run makes; null when it tags big.mp3
};

void PrintTo(const IgnoredSignalCase& c, std::ostream* os) {
    *os << c.name;
}

class CliIgnoredSignalTest : public testing::TestWithParam<IgnoredSignalCase> {};

// Started with the signal ignored (under nohup, or as a shell's background
// job), a command runs to its end through it.
TEST_P(CliIgnoredSignalTest, RunOutlivesTheSignal) {
    const IgnoredSignalCase& c = GetParam();
    TempFolder folder;
    const std::string song = MakeLongSongAndLyrics(folder, 48);
    // The WAV reader asks whether to stop after every block it converts.
    ASSERT_TRUE(MakeSong(folder / "big.wav", 120, "-c:a pcm_s16le"));

    ASSERT_TRUE(SignalOnceTheTemporaryFileIsThere(
        folder, "trap '' " + std::to_string(c.signal) + "; ", c.args, c.signal))
        << "the run ended before its temporary file was seen";

    EXPECT_EQ(folder.read("status"), "0\n");
    fs::remove(folder / "status");
    if (c.output == nullptr) {
        EXPECT_THAT(NamesIn(folder), testing::UnorderedElementsAre("big.mp3", "big.wav", "in.lrc"));
        EXPECT_FALSE(folder.read("big.mp3") == song) << "the song was not tagged";
    } else {
        EXPECT_THAT(NamesIn(folder),
                    testing::UnorderedElementsAre("big.mp3", "big.wav", "in.lrc", c.output));
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, CliIgnoredSignalTest,
                         testing::Values(IgnoredSignalCase{"TagUnderNohup", SIGHUP,
                                                           "tag big.mp3 in.lrc", nullptr},
                                         IgnoredSignalCase{"LyricMp3InTheBackground", SIGINT,
                                                           "mp3 in.lrc big.mp3 out.mp3", "out.mp3"},
                                         IgnoredSignalCase{"DecodeUnderNohup", SIGHUP,
                                                           "decode big.wav out.wav", "out.wav"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
