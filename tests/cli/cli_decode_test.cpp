// Runs the built obrin-cli decode on the RIFF WAVE fixtures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "../plugins/wave_bytes.h"
#include "cli_run.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using test::CliRun;
using testing::HasSubstr;

const std::filesystem::path kFixtures = OBRIN_WAVE_FIXTURES;
const std::filesystem::path kWendaxFixtures = OBRIN_WENDAX_FIXTURES;

// obrin-cli decode, run in `folder`.
CliRun Decode(const test::TempFolder& folder, std::vector<std::string> args) {
    args.insert(args.begin(), "decode");
    return test::RunCli(folder, args);
}

TEST(CliDecode, ConvertsThroughVellinLikeTheEditor) {
    test::TempFolder folder;
    std::filesystem::copy_file(kFixtures / "mp3_stereo.wav", folder / "song.rmp");
    const CliRun run = Decode(folder, {"song.rmp", "out.wav"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    std::string why;
    EXPECT_TRUE(test::ParseVellinOutput(test::ReadBytes(folder / "out.wav"), why)) << why;
}

// Compressed files go through wendax, and FFmpeg says nothing on the way.
TEST(CliDecode, ConvertsCompressedFilesThroughWendax) {
    for (const char* name : {"mp3_cbr_stereo.mp3", "wma_stereo.wma", "flac_5_1.flac"}) {
        test::TempFolder folder;
        std::filesystem::copy_file(kWendaxFixtures / name, folder / name);
        const CliRun run = Decode(folder, {name, "out.wav"});
        EXPECT_EQ(run.status, 0) << name << ": " << run.err;
        EXPECT_EQ(run.err, "") << name;
        std::string why;
        const auto out = test::ParseVellinOutput(test::ReadBytes(folder / "out.wav"), why);
        ASSERT_TRUE(out) << name << ": " << why;
        EXPECT_EQ(out->channels, 2) << name;
    }
}

TEST(CliDecode, TextNamedMp3IsNoMusicForWendax) {
    test::TempFolder folder;
    test::WriteBytes(folder / "lyrics.mp3", "[00:01:00]la la\r\n");
    const CliRun run = Decode(folder, {"lyrics.mp3", "out.wav"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "ファイルのデコードに失敗しました(コード:2) lyrics.mp3\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "out.wav"));
}

// Headers that read over bytes that decode to nothing: no sample, no song.
TEST(CliDecode, NothingDecodedIsCodeTwoAndLeavesNoOutput) {
    test::TempFolder folder;
    std::string file = test::ReadBytes(kWendaxFixtures / "flac_stereo.flac");
    std::uint32_t noise = 12345;
    for (std::size_t i = 512; i < file.size(); ++i) {
        noise = noise * 1103515245 + 12345;
        file[i] = static_cast<char>(noise >> 16);
    }
    test::WriteBytes(folder / "noise.flac", file);
    const CliRun run = Decode(folder, {"noise.flac", "out.wav"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "ファイルのデコードに失敗しました(コード:2) noise.flac\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "out.wav"));
}

struct FailureCase {
    const char* what;
    std::vector<std::string> args;
    int status;
    const char* message;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.what;
}

class CliDecodeFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(CliDecodeFailureTest, ExitsWithTheResultAndSaysWhy) {
    test::TempFolder folder;
    std::filesystem::copy_file(kFixtures / "pcm_s16_stereo.ref", folder / "raw.wav");
    std::filesystem::copy_file(kFixtures / "pcm_s16_stereo.wav", folder / "song.xyz");
    test::WriteBytes(folder / "out.wav", "kept");
    std::filesystem::create_symlink("out.wav", folder / "alias.wav");
    test::WriteBytes(
        folder / "extensible.wav",
        test::Riff(test::Chunk("fmt ", test::PcmFormat(2, 8000, 16, 0xFFFE) + test::Le16(0)) +
                   test::Chunk("data", test::Bytes(8000, '\x11'))));
    const CliRun run = Decode(folder, GetParam().args);
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_THAT(run.err, HasSubstr(GetParam().message));
    EXPECT_EQ(test::ReadBytes(folder / "out.wav"), "kept");
}

INSTANTIATE_TEST_SUITE_P(
    Results, CliDecodeFailureTest,
    testing::Values(
        FailureCase{"not RIFF",
                    {"raw.wav", "out.wav"},
                    1,
                    "ファイルのデコードに失敗しました(コード:1) raw.wav"},
        FailureCase{"no plug-in for the extension",
                    {"song.xyz", "out.wav"},
                    104,
                    "ファイルのデコードに失敗しました(コード:104) song.xyz"},
        FailureCase{"missing source", {"none.wav", "out.wav"}, 1, "(コード:1)"},
        FailureCase{"extensible format without its sub-format",
                    {"extensible.wav", "out.wav"},
                    1,
                    "ファイルのデコードに失敗しました(コード:1) extensible.wav"},
        FailureCase{"output is the input",
                    {"out.wav", "out.wav"},
                    1,
                    "(入力と同じファイルには書き込めません)"},
        FailureCase{"output is the input through a link",
                    {"alias.wav", "out.wav"},
                    1,
                    "(入力と同じファイルには書き込めません)"},
        FailureCase{"one argument", {"song.xyz"}, 2, "usage: obrin-cli decode"},
        FailureCase{"three arguments", {"a.wav", "b.wav", "c.wav"}, 2, "usage: obrin-cli decode"}));

// A name within a few bytes of the file system's limit still gets its
// partial file beside it.
TEST(CliDecode, OutputNameNearTheLengthLimit) {
    test::TempFolder folder;
    std::filesystem::copy_file(kFixtures / "pcm_s16_stereo.wav", folder / "song.wav");
    const std::string name = std::string(251, 'o') + ".wav";
    const CliRun run = Decode(folder, {"song.wav", name});
    EXPECT_EQ(run.status, 0) << run.err;
    std::string why;
    EXPECT_TRUE(test::ParseVellinOutput(test::ReadBytes(folder / name), why)) << why;
}

// Hears the decode make its partial file in a folder, the moment it is made.
class PartialFileWatch {
  public:
    explicit PartialFileWatch(const std::filesystem::path& folder)
        : fd_(::inotify_init1(IN_CLOEXEC)) {
        if (fd_ >= 0) ::inotify_add_watch(fd_, folder.c_str(), IN_CREATE | IN_MOVED_TO);
    }
    ~PartialFileWatch() {
        if (fd_ >= 0) ::close(fd_);
    }
    PartialFileWatch(const PartialFileWatch&) = delete;
    PartialFileWatch& operator=(const PartialFileWatch&) = delete;

    // False when the folder stays quiet for 20 s, which only bounds a hang.
    bool wait() const {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            pollfd ready{fd_, POLLIN, 0};
            if (::poll(&ready, 1, 20'000) <= 0) return false;
            const ssize_t got = ::read(fd_, buffer, sizeof buffer);
            if (got <= 0) return false;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && std::string_view(event->name).starts_with(".out.")) {
                    return true;
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

  private:
    int fd_;
};

// Starts `obrin-cli decode IN OUT` and sends it `signal` once its partial
// output appears (`started`), or when the watch gives up; the child's pid,
// 0 when it could not be started.
pid_t DecodeSignalledOnceStarted(const test::TempFolder& folder, const std::string& in,
                                 const std::string& out, int signal, bool& started) {
    const char* argv[] = {OBRIN_CLI_PATH, "decode", in.c_str(), out.c_str(), nullptr};
    const PartialFileWatch watch(folder.path());
    pid_t child = 0;
    if (posix_spawn(&child, OBRIN_CLI_PATH, nullptr, nullptr, const_cast<char* const*>(argv),
                    environ) != 0)
        return 0;
    started = watch.wait();
    ::kill(child, signal);
    return child;
}

bool HasPartialFile(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with(".out.")) return true;
    }
    return false;
}

// A polite kill (and a closed terminal) stops the conversion as Ctrl+C does:
// no partial file stays behind.
TEST(CliDecode, TerminationStopsAndRemovesThePartialFile) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        test::TempFolder folder;
        // MPEG frames repeated make a long stream that takes a while to decode.
        const test::Bytes mp3 = test::ReadBytes(kFixtures / "mp3_stereo.wav");
        const test::Bytes frames = mp3.substr(mp3.find("data") + 8);
        test::Bytes data;
        for (int i = 0; i < 400; ++i) data += frames;
        test::WriteBytes(folder / "long.rmp",
                         test::Riff(test::Chunk("fmt ", mp3.substr(20, test::ReadLe(mp3, 16, 4))) +
                                    test::Chunk("data", data)));

        const std::string in = (folder / "long.rmp").string();
        const std::string out = (folder / "out.wav").string();
        bool started = false;
        const pid_t child = DecodeSignalledOnceStarted(folder, in, out, signal, started);
        ASSERT_GT(child, 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(started) << "the decode made no partial file";
        ASSERT_TRUE(WIFEXITED(status)) << "signal " << signal << " killed the decode";
        EXPECT_EQ(WEXITSTATUS(status), 1) << signal;
        EXPECT_FALSE(HasPartialFile(folder.path())) << signal;
        EXPECT_FALSE(std::filesystem::exists(out)) << signal;
    }
}

// FFmpeg opens this FLAC in minutes, in one call that no interrupt reaches;
// a stop meanwhile ends the decode at once, with the plug-in's code for a stop.
TEST(CliDecode, TerminationWhileTheFileOpensEndsAtOnce) {
    test::TempFolder folder;
    test::WriteBytes(
        folder / "comments.flac",
        test::FlacWithComments(test::ReadBytes(kWendaxFixtures / "flac_stereo.flac"), 100000));
    for (const int signal : {SIGTERM, SIGINT}) {
        const std::string in = (folder / "comments.flac").string();
        const std::string out = (folder / "out.wav").string();
        bool started = false;
        const pid_t child = DecodeSignalledOnceStarted(folder, in, out, signal, started);
        ASSERT_GT(child, 0);
        // Called directly: glibc's header declares pidfd_open without C linkage.
        const int exit = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
        pollfd exited{exit, POLLIN, 0};
        // A bound that holds on any machine the tests run on.
        const bool ended = ::poll(&exited, 1, 5'000) == 1;
        if (!ended) ::kill(child, SIGKILL);
        ::close(exit);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(started) << "the decode made no partial file";
        EXPECT_TRUE(ended) << "signal " << signal << " waited for the open";
        ASSERT_TRUE(WIFEXITED(status)) << "signal " << signal << " killed the decode";
        EXPECT_EQ(WEXITSTATUS(status), 3) << signal;
        EXPECT_FALSE(HasPartialFile(folder.path())) << signal;
        EXPECT_FALSE(std::filesystem::exists(out)) << signal;
    }
}

}  // namespace
}  // namespace obrin
