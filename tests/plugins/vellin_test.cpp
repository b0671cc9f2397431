// vellin loaded by name through the editor's own plug-in call, converting
// files made by ffmpeg and files damaged on purpose.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "playback/input_plugin_call.h"
#include "temp_folder.h"
#include "wave_bytes.h"

namespace obrin {
namespace {

using test::Bytes;
using test::Chunk;
using test::Le16;
using test::Le32;
using test::ParsedOutput;
using test::PcmFormat;
using test::Riff;

const std::filesystem::path kFixtures = OBRIN_WAVE_FIXTURES;
const std::filesystem::path kProgramFolder = OBRIN_OUTPUT_DIR;

struct ProgressCall {
    std::int32_t total, done;
    bool operator==(const ProgressCall&) const = default;
};

class Conversion {
  public:
    // Stops (returns 1) at the given call, counting from 1; 0 never stops.
    explicit Conversion(int stopAtCall = 0) : stopAtCall_(stopAtCall) {}

    int run(const std::filesystem::path& source, const std::filesystem::path& wav) {
        return CallInputPlugin("vellin.dll", kProgramFolder, source.string(), wav.string(),
                               [this](std::int32_t total, std::int32_t done) {
                                   calls.push_back({total, done});
                                   return static_cast<int>(calls.size()) == stopAtCall_ ? 1 : 0;
                               });
    }
    std::vector<ProgressCall> calls;

  private:
    int stopAtCall_;
};

// ---------------------------------------------------------------------------
// Every coding, against ffmpeg's decode of the same file.

struct FormatCase {
    const char* name;
    std::uint16_t channels;
    std::uint32_t rate;
    std::uint16_t bits;
    int tolerance;    // largest difference of one sample; 0 means byte-exact
    int lengthSlack;  // sample frames the decodes may differ by at the end
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.name;
}

class VellinFormatTest : public testing::TestWithParam<FormatCase> {};

std::vector<int> Samples16(const Bytes& data) {
    std::vector<int> samples(data.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(test::ReadLe(data, i * 2, 2));
    }
    return samples;
}

TEST_P(VellinFormatTest, ConvertsLikeFfmpegDecodes) {
    const FormatCase& c = GetParam();
    test::TempFolder folder;
    const auto wav = folder / "out.wav";
    Conversion conversion;
    ASSERT_EQ(conversion.run(kFixtures / (std::string(c.name) + ".wav"), wav), 0);

    const auto out = ParsedOutput(wav);
    const std::uint16_t align = static_cast<std::uint16_t>(c.channels * c.bits / 8);
    EXPECT_EQ(out.formatTag, 1);
    EXPECT_EQ(out.channels, c.channels);
    EXPECT_EQ(out.rate, c.rate);
    EXPECT_EQ(out.bits, c.bits);
    EXPECT_EQ(out.blockAlign, align);
    EXPECT_EQ(out.bytesPerSec, c.rate * align);
    EXPECT_EQ(out.extraSize, 0);

    const Bytes reference = test::ReadBytes(kFixtures / (std::string(c.name) + ".ref"));
    ASSERT_FALSE(reference.empty());
    if (c.tolerance == 0 && c.lengthSlack == 0) {
        EXPECT_TRUE(out.data == reference)
            << "decoded " << out.data.size() << " bytes, ffmpeg " << reference.size();
        return;
    }
    ASSERT_EQ(c.bits, 16);
    const auto ours = Samples16(out.data);
    const auto theirs = Samples16(reference);
    const auto slack = static_cast<std::size_t>(c.lengthSlack) * c.channels;
    EXPECT_LE(ours.size(), theirs.size() + slack);
    EXPECT_GE(ours.size() + slack, theirs.size());
    int worst = 0;
    for (std::size_t i = 0; i < std::min(ours.size(), theirs.size()); ++i) {
        worst = std::max(worst, std::abs(ours[i] - theirs[i]));
    }
    EXPECT_LE(worst, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Codings, VellinFormatTest,
    testing::Values(
        // Integer PCM keeps its format and passes through unchanged.
        FormatCase{"pcm_u8_mono", 1, 11025, 8, 0, 0},
        FormatCase{"pcm_s16_stereo", 2, 44100, 16, 0, 0},
        FormatCase{"pcm_s24_stereo", 2, 48000, 24, 0, 0},  // WAVE_FORMAT_EXTENSIBLE
        FormatCase{"pcm_s32_mono", 1, 32000, 32, 0, 0}, FormatCase{"odd_u8", 1, 11025, 8, 0, 0},
        FormatCase{"list_pcm", 1, 16000, 16, 0, 0},
        FormatCase{"junk_first_pcm", 2, 44100, 16, 0, 0},
        // Everything else becomes 16-bit PCM at the source's rate and channels.
        FormatCase{"float32_stereo", 2, 44100, 16, 0, 0},
        FormatCase{"float64_mono", 1, 22050, 16, 0, 0}, FormatCase{"alaw_mono", 1, 8000, 16, 0, 0},
        FormatCase{"mulaw_mono", 1, 8000, 16, 0, 0},
        FormatCase{"ima_adpcm_stereo", 2, 22050, 16, 0, 0},
        FormatCase{"fact_list_ima", 2, 22050, 16, 0, 0},
        FormatCase{"ms_adpcm_mono", 1, 22050, 16, 0, 0}, FormatCase{"gsm_mono", 1, 8000, 16, 0, 0},
        FormatCase{"mp3_stereo", 2, 44100, 16, 2, 1152}));

// ---------------------------------------------------------------------------
// Blocks, progress and stopping.

TEST(VellinProgress, OneCallPerBlockInSourceBytesEndingAtTotal) {
    test::TempFolder folder;
    Conversion conversion;
    ASSERT_EQ(conversion.run(kFixtures / "pcm_s16_stereo.wav", folder / "out.wav"), 0);
    // 16-bit stereo: block alignment 4, so 4096-byte blocks; 264600 bytes of data.
    constexpr std::int32_t kTotal = 264600;
    ASSERT_EQ(conversion.calls.size(), (kTotal + 4095) / 4096);
    for (std::size_t i = 0; i + 1 < conversion.calls.size(); ++i) {
        EXPECT_EQ(conversion.calls[i],
                  (ProgressCall{kTotal, static_cast<std::int32_t>((i + 1) * 4096)}));
    }
    EXPECT_EQ(conversion.calls.back(), (ProgressCall{kTotal, kTotal}));
}

TEST(VellinProgress, StopLeavesWellFormedWaveOfTheBlocksBefore) {
    test::TempFolder folder;
    Conversion conversion(/*stopAtCall=*/3);
    EXPECT_EQ(conversion.run(kFixtures / "pcm_s16_stereo.wav", folder / "out.wav"), 1);
    EXPECT_EQ(conversion.calls.size(), 3u);
    const auto out = ParsedOutput(folder / "out.wav");
    const Bytes source = test::ReadBytes(kFixtures / "pcm_s16_stereo.wav");
    EXPECT_TRUE(out.data == source.substr(44, 2 * 4096));
}

TEST(VellinProgress, StopOfCompressedSourceStillGivesWellFormedWave) {
    test::TempFolder folder;
    Conversion conversion(/*stopAtCall=*/1);
    EXPECT_EQ(conversion.run(kFixtures / "ima_adpcm_stereo.wav", folder / "out.wav"), 1);
    EXPECT_TRUE(ParsedOutput(folder / "out.wav").data.empty());
}

// ---------------------------------------------------------------------------
// Files put together by hand: chunk layouts and damaged files.

struct CraftedCase {
    const char* what;
    Bytes file;
    int result;
    std::size_t dataBytes;  // of the output, when result is 0
};

void PrintTo(const CraftedCase& c, std::ostream* os) {
    *os << c.what;
}

class VellinCraftedTest : public testing::TestWithParam<CraftedCase> {};

TEST_P(VellinCraftedTest, GivesItsResultAndNeverGarbage) {
    const CraftedCase& c = GetParam();
    test::TempFolder folder;
    test::WriteBytes(folder / "in.wav", c.file);
    Conversion conversion;
    ASSERT_EQ(conversion.run(folder / "in.wav", folder / "out.wav"), c.result);
    if (c.result == 0) {
        const auto out = ParsedOutput(folder / "out.wav");
        EXPECT_EQ(out.data.size(), c.dataBytes);
        EXPECT_TRUE(out.data ==
                    c.file.substr(c.file.size() - c.dataBytes - c.dataBytes % 2, c.dataBytes));
    }
}

const Bytes kFmt = Chunk("fmt ", PcmFormat(2, 8000, 16));
const Bytes kSamples = Bytes(4000, '\x11') + Bytes(4000, '\x22');

INSTANTIATE_TEST_SUITE_P(
    Layouts, VellinCraftedTest,
    testing::Values(
        CraftedCase{"plain", Riff(kFmt + Chunk("data", kSamples)), 0, kSamples.size()},
        CraftedCase{"fact and LIST before data",
                    Riff(kFmt + Chunk("fact", Le32(2000)) + Chunk("LIST", "INFOx") +
                         Chunk("data", kSamples)),
                    0, kSamples.size()},
        CraftedCase{"odd-sized chunk before data is padded",
                    Riff(kFmt + Chunk("junk", "abc") + Chunk("data", kSamples)), 0,
                    kSamples.size()},
        CraftedCase{"JUNK before fmt",
                    Riff(Chunk("JUNK", Bytes(28, '\0')) + kFmt + Chunk("data", kSamples)), 0,
                    kSamples.size()},
        CraftedCase{
            "odd-sized bext and LIST before fmt",
            Riff(Chunk("bext", "abcde") + Chunk("LIST", "INFO") + kFmt + Chunk("data", kSamples)),
            0, kSamples.size()},
        CraftedCase{"data before fmt", Riff(Chunk("data", kSamples) + kFmt), 1, 0},
        CraftedCase{"no fmt chunk", Riff(Chunk("JUNK", "ab") + Chunk("data", kSamples)), 1, 0},
        CraftedCase{"empty data", Riff(kFmt + Chunk("data", "")), 0, 0},
        CraftedCase{"form type is not checked",
                    Chunk("RIFF", "AVI " + kFmt + Chunk("data", kSamples)), 0, kSamples.size()},
        CraftedCase{"container size too large", Riff(kFmt + Chunk("data", kSamples), 0xFFFFFFF0), 0,
                    kSamples.size()},
        // More claimed than the file holds: ends at the real end of the data.
        CraftedCase{"data claims more than the file holds",
                    Riff(kFmt + "data" + Le32(1000000) + kSamples), 0, kSamples.size()},
        CraftedCase{"data size 0xFFFFFFFF", Riff(kFmt + "data" + Le32(0xFFFFFFFF) + kSamples), 0,
                    kSamples.size()},
        CraftedCase{"no data chunk", Riff(kFmt + Chunk("LIST", "INFO")), 1, 0},
        CraftedCase{"only fmt", Riff(kFmt), 1, 0},
        CraftedCase{"chunk size 0xFFFFFFFF before data",
                    Riff(kFmt + Chunk("LIST", "INFO", 0xFFFFFFFF) + Chunk("data", kSamples)), 1, 0},
        CraftedCase{"fmt size 0xFFFFFFFF", Riff(Chunk("fmt ", PcmFormat(2, 8000, 16), 0xFFFFFFFF)),
                    1, 0},
        CraftedCase{"fmt of two bytes", Riff(Chunk("fmt ", Le16(1)) + Chunk("data", kSamples)), 1,
                    0},
        CraftedCase{
            "zero block alignment",
            Riff(Chunk("fmt ", Le16(1) + Le16(2) + Le32(8000) + Le32(32000) + Le16(0) + Le16(16)) +
                 Chunk("data", kSamples)),
            1, 0},
        CraftedCase{"zero channels",
                    Riff(Chunk("fmt ", PcmFormat(0, 8000, 16)) + Chunk("data", kSamples)), 1, 0},
        CraftedCase{"unknown format tag",
                    Riff(Chunk("fmt ", PcmFormat(2, 8000, 16, 0x7A7A)) + Chunk("data", kSamples)),
                    1, 0},
        CraftedCase{"extensible without its extra bytes",
                    Riff(Chunk("fmt ", PcmFormat(2, 8000, 16, 0xFFFE) + Le16(0)) +
                         Chunk("data", kSamples)),
                    1, 0},
        CraftedCase{"extensible cut before its sub-format",
                    Riff(Chunk("fmt ", PcmFormat(2, 8000, 16, 0xFFFE) + Le16(6) + Le16(16) +
                                           Le32(3)) +
                         Chunk("data", kSamples)),
                    1, 0},
        CraftedCase{"extensible PCM",
                    Riff(Chunk("fmt ", PcmFormat(2, 8000, 16, 0xFFFE) + Le16(22) + Le16(16) +
                                           Le32(3) + Le16(1) +
                                           Bytes("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 14)) +
                         Chunk("data", kSamples)),
                    0, kSamples.size()},
        CraftedCase{"empty file", "", 1, 0}, CraftedCase{"four bytes", "RIFF", 1, 0},
        CraftedCase{"truncated header", Bytes("RIFF\x30\0\0\0WAVEfmt \x10\0", 18), 1, 0},
        CraftedCase{"truncated format chunk", Riff(kFmt).substr(0, 30), 1, 0},
        CraftedCase{"not RIFF: bare MPEG audio", Bytes("\xFF\xFB\x90\x64", 4) + Bytes(5000, '\0'),
                    1, 0},
        CraftedCase{"not RIFF: text", "[00:00:00]lyrics\r\n" + kFmt + Chunk("data", kSamples), 1,
                    0}));

// ---------------------------------------------------------------------------
// Format records that claim what the audio is not: compressed audio takes
// the rate and channels its own stream carries, and a rate no device plays,
// or a record under which nothing decodes, is a failure rather than an empty
// WAV reported as success.

struct ClaimCase {
    const char* what;
    const char* fixture;
    std::size_t offset;  // of the patched field in the fixture
    Bytes field;
    int result;
    std::uint16_t channels;  // of the output, when result is 0
    std::uint32_t rate;
};

void PrintTo(const ClaimCase& c, std::ostream* os) {
    *os << c.what;
}

class VellinClaimTest : public testing::TestWithParam<ClaimCase> {};

constexpr std::size_t kChannelsField = 22, kRateField = 24, kBlockAlignField = 32;

TEST_P(VellinClaimTest, DecodesWhatTheStreamHoldsOrFails) {
    const ClaimCase& c = GetParam();
    test::TempFolder folder;
    Bytes file = test::ReadBytes(kFixtures / c.fixture);
    file.replace(c.offset, c.field.size(), c.field);
    test::WriteBytes(folder / "in.wav", file);
    testing::internal::CaptureStdout();
    Conversion conversion;
    EXPECT_EQ(conversion.run(folder / "in.wav", folder / "out.wav"), c.result);
    testing::internal::GetCapturedStdout();
    if (c.result != 0) return;
    const auto out = ParsedOutput(folder / "out.wav");
    EXPECT_EQ(out.channels, c.channels);
    EXPECT_EQ(out.rate, c.rate);
    EXPECT_GT(out.data.size(), 100000u);
}

INSTANTIATE_TEST_SUITE_P(
    Claims, VellinClaimTest,
    testing::Values(ClaimCase{"MP3 claiming 255 channels", "mp3_stereo.wav", kChannelsField,
                              Le16(255), 0, 2, 44100},
                    ClaimCase{"MP3 claiming 1e9 samples/s", "mp3_stereo.wav", kRateField,
                              Le32(1000000000), 0, 2, 44100},
                    ClaimCase{"MP3 claiming 2^31-1 samples/s", "mp3_stereo.wav", kRateField,
                              Le32(0x7FFFFFFF), 0, 2, 44100},
                    ClaimCase{"MP3 claiming 2^32-1 samples/s", "mp3_stereo.wav", kRateField,
                              Le32(0xFFFFFFFF), 0, 2, 44100},
                    ClaimCase{"IMA ADPCM block alignment 65535", "ima_adpcm_stereo.wav",
                              kBlockAlignField, Le16(65535), 1, 0, 0},
                    ClaimCase{"A-law at 1e9 samples/s", "alaw_mono.wav", kRateField,
                              Le32(1000000000), 1, 0, 0},
                    ClaimCase{"PCM at 1e9 samples/s", "pcm_s16_stereo.wav", kRateField,
                              Le32(1000000000), 1, 0, 0},
                    ClaimCase{"PCM at 384 kHz plays", "pcm_s16_stereo.wav", kRateField,
                              Le32(384000), 0, 2, 384000}));

TEST(VellinFailures, UnknownFormatTagNamesTheConverterFailure) {
    test::TempFolder folder;
    test::WriteBytes(folder / "in.wav",
                     Riff(Chunk("fmt ", PcmFormat(2, 8000, 16, 0x7A7A)) + Chunk("data", kSamples)));
    testing::internal::CaptureStdout();
    Conversion conversion;
    EXPECT_EQ(conversion.run(folder / "in.wav", folder / "out.wav"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ACMERR_NOTPOSSIBLE\n");
    EXPECT_TRUE(conversion.calls.empty());
}

TEST(VellinFailures, EmptyDataMakesNoProgressCall) {
    test::TempFolder folder;
    test::WriteBytes(folder / "in.wav", Riff(kFmt + Chunk("data", "")));
    Conversion conversion;
    EXPECT_EQ(conversion.run(folder / "in.wav", folder / "out.wav"), 0);
    EXPECT_TRUE(conversion.calls.empty());
}

TEST(VellinFailures, DataClaimingTooMuchReportsTheRealSize) {
    test::TempFolder folder;
    test::WriteBytes(folder / "in.wav", Riff(kFmt + "data" + Le32(1000000) + kSamples));
    Conversion conversion;
    EXPECT_EQ(conversion.run(folder / "in.wav", folder / "out.wav"), 0);
    ASSERT_FALSE(conversion.calls.empty());
    EXPECT_EQ(conversion.calls.back(), (ProgressCall{8000, 8000}));
}

TEST(VellinFailures, PathsThatCannotBeUsed) {
    test::TempFolder folder;
    const auto good = kFixtures / "pcm_s16_stereo.wav";
    Conversion conversion;
    EXPECT_EQ(conversion.run(folder / "missing.wav", folder / "out.wav"), 1);
    EXPECT_EQ(conversion.run(folder.path(), folder / "out.wav"), 1) << "a directory as source";
    EXPECT_EQ(conversion.run(good, folder / "no-such-folder" / "out.wav"), 1);
    EXPECT_EQ(conversion.run(good, folder.path()), 1) << "a directory as destination";
    test::WriteBytes(folder / "file", "x");
    EXPECT_EQ(conversion.run(good, folder / "file" / "out.wav"), 1) << "a file as folder";
    EXPECT_TRUE(conversion.calls.empty());
}

TEST(VellinFailures, SourceAsDestinationIsRefusedAndKept) {
    test::TempFolder folder;
    const Bytes original = Riff(kFmt + Chunk("data", kSamples));
    test::WriteBytes(folder / "song.wav", original);
    Conversion conversion;
    EXPECT_EQ(conversion.run(folder / "song.wav", folder / "song.wav"), 1);
    EXPECT_TRUE(test::ReadBytes(folder / "song.wav") == original);
}

TEST(VellinFailures, DamagedMpegAudioLeavesStandardErrorQuiet) {
    test::TempFolder folder;
    Bytes file = test::ReadBytes(kFixtures / "mp3_stereo.wav");
    const auto quarter = static_cast<std::ptrdiff_t>(file.size() / 4);
    std::fill(file.begin() + 2 * quarter, file.begin() + 3 * quarter, '\x5A');
    test::WriteBytes(folder / "in.wav", file);
    testing::internal::CaptureStderr();
    Conversion conversion;
    EXPECT_EQ(conversion.run(folder / "in.wav", folder / "out.wav"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace obrin
