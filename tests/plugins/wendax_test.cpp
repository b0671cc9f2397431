// wendax loaded by name through the editor's own plug-in call, converting
// files made by ffmpeg, files that are no music, and files damaged on purpose.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <fstream>
#include <future>
#include <memory>
#include <vector>

#include "playback/input_plugin_call.h"
#include "temp_folder.h"
#include "wave_bytes.h"

namespace obrin {
namespace {

using test::Bytes;
using test::ParsedOutput;

const std::filesystem::path kFixtures = OBRIN_WENDAX_FIXTURES;
const std::filesystem::path kProgramFolder = OBRIN_OUTPUT_DIR;

struct ProgressCall {
    std::int32_t total, done;
};

// The reports made while the file opens, 0 of 0, before its length is known.
bool WhileOpening(const ProgressCall& call) {
    return call.total == 0 && call.done == 0;
}

class Conversion {
  public:
    // Stops (returns 1) from the given report of decoding on, counting from
    // 1 and passing over the reports made while the file opens, or from the
    // first of those with `whileOpening`; 0 never stops.
    explicit Conversion(int stopAtCall = 0, bool whileOpening = false)
        : stopAtCall_(stopAtCall), whileOpening_(whileOpening) {}

    int run(const std::filesystem::path& source, const std::filesystem::path& wav) {
        return CallInputPlugin("wendax.dll", kProgramFolder, source.string(), wav.string(),
                               [this](std::int32_t total, std::int32_t done) {
                                   calls.push_back({total, done});
                                   if (WhileOpening(calls.back())) return whileOpening_ ? 1 : 0;
                                   ++decodingCalls_;
                                   return stopAtCall_ != 0 && decodingCalls_ >= stopAtCall_ ? 1 : 0;
                               });
    }
    std::vector<ProgressCall> calls;

  private:
    int stopAtCall_;
    bool whileOpening_;
    int decodingCalls_ = 0;
};

std::vector<int> Samples16(const Bytes& data) {
    std::vector<int> samples(data.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(test::ReadLe(data, i * 2, 2));
    }
    return samples;
}

std::size_t ThreadCount() {
    const auto tasks = std::filesystem::directory_iterator("/proc/self/task");
    return static_cast<std::size_t>(std::distance(tasks, std::filesystem::directory_iterator()));
}

// Progress is in hundredths of a second, never runs back, and ends with one
// call where done equals total; the reports while the file opens come first.
void ExpectProgressEndsAtTotal(std::vector<ProgressCall> calls) {
    calls.erase(calls.begin(), std::find_if_not(calls.begin(), calls.end(), WhileOpening));
    ASSERT_FALSE(calls.empty());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].total, calls.back().total);
        EXPECT_LE(calls[i].done, calls[i].total);
        if (i > 0) {
            EXPECT_GE(calls[i].done, calls[i - 1].done);
        }
    }
    EXPECT_EQ(calls.back().done, calls.back().total);
}

// ---------------------------------------------------------------------------
// Every kind of file, against ffmpeg's decode of the same file.

struct FormatCase {
    const char* file;
    std::uint16_t channels;
    std::uint32_t rate;
    std::size_t frameSlack;  // one frame of the coding: how far the lengths may differ
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.file;
}

class WendaxFormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(WendaxFormatTest, DecodesLikeFfmpeg) {
    const FormatCase& c = GetParam();
    test::TempFolder folder;
    const std::size_t threadsBefore = ThreadCount();
    testing::internal::CaptureStderr();
    Conversion conversion;
    const int result = conversion.run(kFixtures / c.file, folder / "out.wav");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(result, 0);
    EXPECT_EQ(ThreadCount(), threadsBefore) << "a reader thread outlived Input";

    const auto out = ParsedOutput(folder / "out.wav");
    const auto align = static_cast<std::uint16_t>(c.channels * 2);
    EXPECT_EQ(out.formatTag, 1);
    EXPECT_EQ(out.channels, c.channels);
    EXPECT_EQ(out.rate, c.rate);
    EXPECT_EQ(out.bits, 16);
    EXPECT_EQ(out.blockAlign, align);
    EXPECT_EQ(out.bytesPerSec, c.rate * align);
    EXPECT_EQ(out.extraSize, 0);

    const auto stem = std::filesystem::path(c.file).stem().string();
    const auto ours = Samples16(out.data);
    const auto theirs = Samples16(test::ReadBytes(kFixtures / (stem + ".ref")));
    ASSERT_FALSE(theirs.empty());
    const std::size_t slack = c.frameSlack * c.channels;
    EXPECT_LE(ours.size(), theirs.size() + slack);
    EXPECT_GE(ours.size() + slack, theirs.size());
    int worst = 0;
    for (std::size_t i = 0; i < std::min(ours.size(), theirs.size()); ++i) {
        worst = std::max(worst, std::abs(ours[i] - theirs[i]));
    }
    EXPECT_LE(worst, 2);

    ExpectProgressEndsAtTotal(conversion.calls);
    // Three seconds of audio in every fixture; the header may count a
    // coding's priming frames.
    EXPECT_NEAR(conversion.calls.back().total, 300, 10);
}

INSTANTIATE_TEST_SUITE_P(Files, WendaxFormatTest,
                         testing::Values(FormatCase{"wma_stereo.wma", 2, 44100, 2048},
                                         FormatCase{"mp3_cbr_stereo.mp3", 2, 44100, 1152},
                                         FormatCase{"mp3_vbr_mono.mp3", 1, 22050, 576},
                                         FormatCase{"aac_stereo.m4a", 2, 44100, 1024},
                                         FormatCase{"vorbis_mono.ogg", 1, 22050, 2048},
                                         FormatCase{"opus_stereo.opus", 2, 48000, 960},
                                         FormatCase{"flac_stereo.flac", 2, 44100, 4608},
                                         // 24-bit at 96 kHz keeps its rate and becomes 16-bit.
                                         FormatCase{"flac_96k.flac", 2, 96000, 4608},
                                         // Six channels are mixed down to stereo.
                                         FormatCase{"flac_5_1.flac", 2, 48000, 4608},
                                         // The audio stream comes second; "fmt " describes it.
                                         FormatCase{"video_first.mkv", 2, 44100, 2048}));

// ---------------------------------------------------------------------------
// Stopping and damage part-way.

// long.mp3: 30 s of 16-bit stereo at 44.1 kHz.
constexpr std::size_t kLongSongBytes = 30 * 44100 * 4;

TEST(WendaxStop, FirstProgressCallStopsWithCodeThreeAndWellFormedWave) {
    test::TempFolder folder;
    const std::size_t threadsBefore = ThreadCount();
    Conversion conversion(/*stopAtCall=*/1);
    EXPECT_EQ(conversion.run(kFixtures / "long.mp3", folder / "out.wav"), 3);
    EXPECT_EQ(ThreadCount(), threadsBefore);
    ExpectProgressEndsAtTotal(conversion.calls);
    EXPECT_EQ(std::count_if(conversion.calls.begin(), conversion.calls.end(),
                            [](const ProgressCall& call) { return !WhileOpening(call); }),
              2)
        << "the stop, then the final report";
    const auto out = ParsedOutput(folder / "out.wav");
    EXPECT_EQ(out.channels, 2);
    EXPECT_EQ(out.data.size() % 4, 0u);
    // The stop reaches the reader before it has decoded the whole song, as
    // it would within the poll's second, however fast or slow the machine.
    EXPECT_LT(out.data.size(), kLongSongBytes);
}

TEST(WendaxDamage, DecodingThatBreaksOffPartWayKeepsWhatWasDelivered) {
    test::TempFolder folder;
    // The third quarter overwritten: the headers at both ends stay readable.
    Bytes file = test::ReadBytes(kFixtures / "wma_stereo.wma");
    const auto quarter = static_cast<std::ptrdiff_t>(file.size() / 4);
    std::fill(file.begin() + 2 * quarter, file.begin() + 3 * quarter, '\x5A');
    test::WriteBytes(folder / "damaged.wma", file);
    testing::internal::CaptureStderr();
    Conversion conversion;
    const int result = conversion.run(folder / "damaged.wma", folder / "out.wav");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "FFmpeg's complaints stay quiet";
    ASSERT_EQ(result, 0);
    ExpectProgressEndsAtTotal(conversion.calls);
    const auto ours = Samples16(ParsedOutput(folder / "out.wav").data);
    const auto theirs = Samples16(test::ReadBytes(kFixtures / "wma_stereo.ref"));
    EXPECT_GT(ours.size(), theirs.size() / 4);
    EXPECT_LT(ours.size(), theirs.size());
    for (std::size_t i = 0; i < ours.size() / 2; ++i) ASSERT_NEAR(ours[i], theirs[i], 2) << i;
}

// ---------------------------------------------------------------------------
// Files that give a code: each a real cause, none leaves a thread behind.

struct FailureCase {
    const char* what;
    std::function<std::filesystem::path(const test::TempFolder&)> source;
    std::function<std::filesystem::path(const test::TempFolder&)> wav;
    int result;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.what;
}

class WendaxFailureTest : public testing::TestWithParam<FailureCase> {};

std::filesystem::path Written(const test::TempFolder& folder, const std::string& name,
                              const Bytes& bytes) {
    test::WriteBytes(folder / name, bytes);
    return folder / name;
}

std::filesystem::path Fixture(const char* name) {
    return kFixtures / name;
}

TEST_P(WendaxFailureTest, GivesItsCodeAndLeavesNoThread) {
    const FailureCase& c = GetParam();
    test::TempFolder folder;
    const auto wav = c.wav ? c.wav(folder) : folder / "out.wav";
    const bool wavIsOurs = wav.parent_path() == folder.path();
    if (wavIsOurs) test::WriteBytes(wav, "earlier output");
    const std::size_t threadsBefore = ThreadCount();
    testing::internal::CaptureStderr();
    Conversion conversion;
    EXPECT_EQ(conversion.run(c.source(folder), wav), c.result);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(ThreadCount(), threadsBefore);
    // Codes 1 and 2 come before the WAV is touched.
    if (c.result <= 2 && wavIsOurs) {
        EXPECT_EQ(test::ReadBytes(wav), "earlier output");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, WendaxFailureTest,
    testing::Values(
        FailureCase{"text named mp3",
                    [](auto& f) { return Written(f, "lyrics.mp3", "[00:01:00]la la\r\n"); },
                    nullptr, 2},
        FailureCase{"empty file", [](auto& f) { return Written(f, "empty.mp3", ""); }, nullptr, 2},
        FailureCase{"truncated to its first bytes",
                    [](auto& f) {
                        return Written(
                            f, "cut.mp3",
                            test::ReadBytes(Fixture("mp3_cbr_stereo.mp3")).substr(0, 40));
                    },
                    nullptr, 2},
        FailureCase{"directory", [](auto& f) { return f.path(); }, nullptr, 2},
        FailureCase{"missing file", [](auto& f) { return f / "none.mp3"; }, nullptr, 2},
        FailureCase{"video only", [](auto&) { return Fixture("video_only.mkv"); }, nullptr, 2},
        FailureCase{"WAV in a missing folder", [](auto&) { return Fixture("flac_stereo.flac"); },
                    [](auto& f) { return f / "no-such-folder" / "out.wav"; }, 3},
        FailureCase{"WAV on a full disk", [](auto&) { return Fixture("flac_stereo.flac"); },
                    [](auto&) { return std::filesystem::path("/dev/full"); }, 4}));

// Readable headers over bytes that decode to nothing: the reader runs to the
// end without one sample, which is no song, not an empty one.
class WendaxNothingDecodedTest : public testing::TestWithParam<const char*> {};

TEST_P(WendaxNothingDecodedTest, IsCodeTwo) {
    test::TempFolder folder;
    Bytes file = test::ReadBytes(Fixture(GetParam()));
    std::uint32_t noise = 12345;
    for (std::size_t i = 512; i < file.size(); ++i) {
        noise = noise * 1103515245 + 12345;
        file[i] = static_cast<char>(noise >> 16);
    }
    const auto source = Written(folder, std::string("noise-") + GetParam(), file);
    const std::size_t threadsBefore = ThreadCount();
    testing::internal::CaptureStderr();
    Conversion conversion;
    EXPECT_EQ(conversion.run(source, folder / "out.wav"), 2);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ThreadCount(), threadsBefore);
}

INSTANTIATE_TEST_SUITE_P(Noise, WendaxNothingDecodedTest,
                         testing::Values("flac_stereo.flac", "wma_stereo.wma"));

TEST(WendaxFailures, PathThatIsNoUtf8IsReportedOnStandardOutput) {
    test::TempFolder folder;
    const auto source = folder / "caf\xE9.mp3";
    std::filesystem::copy_file(Fixture("mp3_cbr_stereo.mp3"), source);
    testing::internal::CaptureStdout();
    Conversion conversion;
    EXPECT_EQ(conversion.run(source, folder / "out.wav"), 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Internal error 84\n");  // EILSEQ
    EXPECT_TRUE(conversion.calls.empty());
}

TEST(WendaxFailures, TruncatedHalfWayDecodesTheFirstHalf) {
    test::TempFolder folder;
    const Bytes whole = test::ReadBytes(Fixture("mp3_cbr_stereo.mp3"));
    const auto source = Written(folder, "half.mp3", whole.substr(0, whole.size() / 2));
    Conversion conversion;
    ASSERT_EQ(conversion.run(source, folder / "out.wav"), 0);
    const auto out = ParsedOutput(folder / "out.wav");
    EXPECT_NEAR(static_cast<double>(out.data.size()), 529200.0 / 2, 529200.0 / 20);
}

// An MP3 followed by zeros: FFmpeg's parser, looking for the next frame,
// would gather every one of them, twice over. Not under the sanitizers,
// whose own memory is counted too.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
long PeakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(WendaxMemory, ZerosAfterTheAudioAreReadWithoutGrowingMemory) {
    test::TempFolder folder;
    Conversion plain;
    ASSERT_EQ(plain.run(Fixture("mp3_cbr_stereo.mp3"), folder / "plain.wav"), 0);
    const auto padded = folder / "padded.mp3";
    std::filesystem::copy_file(Fixture("mp3_cbr_stereo.mp3"), padded);
    // Sparse: the disk holds the MP3 alone.
    std::filesystem::resize_file(padded, 256 << 20);
    const long before = PeakResidentKiB();
    Conversion conversion;
    ASSERT_EQ(conversion.run(padded, folder / "padded.wav"), 0);
    EXPECT_LT(PeakResidentKiB() - before, 64 << 10) << "KiB more at the peak";
    const Bytes ours = ParsedOutput(folder / "padded.wav").data;
    const Bytes theirs = ParsedOutput(folder / "plain.wav").data;
    EXPECT_EQ(ours.substr(0, theirs.size()), theirs) << "the song's sound comes first";
}
#endif

// The reader's thread cannot start when the process has no memory left for
// its stack. Runs in a process of its own (wendax_no_reader_test), where no
// thread ran before, so no stack of an earlier thread is kept for reuse.
TEST(WendaxNoReader, ReaderThatCannotStartGivesCodeOne) {
    if (std::getenv("OBRIN_WENDAX_ALONE") == nullptr) {
        GTEST_SKIP() << "runs alone as wendax_no_reader_test";
    }
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "sanitizers reserve memory of their own";
#endif
    test::TempFolder folder;
    // Loaded beforehand, so that only the conversion meets the limit.
    void* library = dlopen((kProgramFolder / "wendax.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &previous), 0);
    rlimit tight = previous;
    tight.rlim_cur = static_cast<rlim_t>(pages) * 4096 + (2 << 20);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
    Conversion conversion;
    const int result = conversion.run(Fixture("flac_stereo.flac"), folder / "out.wav");
    ASSERT_EQ(setrlimit(RLIMIT_AS, &previous), 0);
    dlclose(library);
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(conversion.calls.empty());
}

// ---------------------------------------------------------------------------
// A stop while the file opens. FFmpeg reads a FLAC's Vorbis comments in one
// call that no interrupt reaches, in time that grows with the square of
// their number. Runs as wendax_open_stop_test, in a process of its own, as
// the abandoned open goes on there for minutes.

TEST(WendaxOpenStop, StopWhileTheFileOpensReturnsAtOnceAndKeepsThePluginLoaded) {
    test::TempFolder folder;
    const auto source =
        Written(folder, "comments.flac",
                test::FlacWithComments(test::ReadBytes(Fixture("flac_stereo.flac")), 100000));
    const auto conversion = std::make_shared<Conversion>(0, /*whileOpening=*/true);
    auto stopped = std::async(std::launch::async, [conversion, source, &folder] {
        return conversion->run(source, folder / "out.wav");
    });
    // Unstopped, this open runs for minutes; a stop is acted on within a
    // report period. The bound holds on any machine the tests run on.
    ASSERT_EQ(stopped.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(stopped.get(), 3);
    ASSERT_FALSE(conversion->calls.empty());
    EXPECT_TRUE(WhileOpening(conversion->calls.front()));
    EXPECT_FALSE(std::filesystem::exists(folder / "out.wav")) << "no WAV before the file is open";

    // The host has let the library go, but the abandoned open still runs its code.
    void* library = dlopen((kProgramFolder / "wendax.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(library, nullptr);
    if (library != nullptr) dlclose(library);

    // The next song converts as usual beside it.
    Conversion next;
    EXPECT_EQ(next.run(Fixture("mp3_cbr_stereo.mp3"), folder / "next.wav"), 0);
}

}  // namespace
}  // namespace obrin
