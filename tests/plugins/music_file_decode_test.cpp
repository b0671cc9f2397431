#include "playback/music_file_decode.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "temp_folder.h"
#include "wave_bytes.h"

namespace obrin {
namespace {

const std::filesystem::path kFixtures = OBRIN_WAVE_FIXTURES;
const std::filesystem::path kProgramFolder = OBRIN_OUTPUT_DIR;

class DecodeTest : public testing::Test {
  protected:
    int decode(const std::string& source, bool stop = false) {
        return DecodeMusicFile(kProgramFolder, source, out.string(),
                               [stop](std::int32_t, std::int32_t) { return stop ? 1 : 0; });
    }
    std::string copyFixture(const std::string& fixture, const std::string& name) {
        std::filesystem::copy_file(kFixtures / fixture, folder / name);
        return (folder / name).string();
    }
    // Nothing but the output (and the sources the test put there) remains.
    bool onlyExpectedFiles(std::size_t count) const {
        return static_cast<std::size_t>(
                   std::distance(std::filesystem::directory_iterator(folder.path()),
                                 std::filesystem::directory_iterator())) == count;
    }

    test::TempFolder folder;
    std::filesystem::path out = folder / "out.wav";
};

TEST_F(DecodeTest, ConvertsThroughTheShippedRegistry) {
    ASSERT_EQ(decode(copyFixture("ima_adpcm_stereo.wav", "song.WAV")), 0);
    std::string why;
    EXPECT_TRUE(test::ParseVellinOutput(test::ReadBytes(out), why)) << why;
    EXPECT_TRUE(onlyExpectedFiles(2));
}

TEST_F(DecodeTest, MpegAudioInWaveNamedRmp) {
    ASSERT_EQ(decode(copyFixture("mp3_stereo.wav", "song.rmp")), 0);
}

// What lies at a name the partial file could have (here the one it used to
// have) is never followed nor truncated, and the result is a file of its own.
TEST_F(DecodeTest, NeverWritesThroughWhatIsAlreadyBesideTheTarget) {
    test::WriteBytes(folder / "victim", "precious");
    std::filesystem::create_symlink("victim",
                                    folder / (".out.wav." + std::to_string(::getpid()) + ".part"));
    ASSERT_EQ(decode(copyFixture("pcm_s16_stereo.wav", "song.wav")), 0);
    EXPECT_EQ(test::ReadBytes(folder / "victim"), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(out));
    EXPECT_TRUE(onlyExpectedFiles(4));
}

TEST_F(DecodeTest, RefusesToReplaceItsOwnSource) {
    const std::string source = copyFixture("pcm_s16_stereo.wav", "out.wav");
    const test::Bytes before = test::ReadBytes(out);
    std::string failure;
    EXPECT_EQ(DecodeMusicFile(
                  kProgramFolder, source, out.string(),
                  [](std::int32_t, std::int32_t) { return 0; }, &failure),
              1);
    EXPECT_EQ(failure, "入力と同じファイルには書き込めません");
    EXPECT_TRUE(test::ReadBytes(out) == before);
    EXPECT_TRUE(onlyExpectedFiles(1));
}

struct FailureCase {
    const char* what;
    const char* fixture;
    const char* name;
    bool stop;
    int result;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.what;
}

class DecodeFailureTest : public DecodeTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(DecodeFailureTest, KeepsTheExistingOutputAndLeavesNoPart) {
    const FailureCase& c = GetParam();
    test::WriteBytes(out, "earlier output");
    EXPECT_EQ(decode(copyFixture(c.fixture, c.name), c.stop), c.result);
    EXPECT_EQ(test::ReadBytes(out), "earlier output");
    EXPECT_TRUE(onlyExpectedFiles(2));
}

INSTANTIATE_TEST_SUITE_P(
    Results, DecodeFailureTest,
    testing::Values(FailureCase{"unregistered extension", "pcm_s16_stereo.wav", "song.xyz", false,
                                104},
                    FailureCase{"not a RIFF file", "pcm_s16_stereo.ref", "song.wav", false, 1},
                    FailureCase{"stopped", "pcm_s16_stereo.wav", "song.wav", true, 1}));

}  // namespace
}  // namespace obrin
