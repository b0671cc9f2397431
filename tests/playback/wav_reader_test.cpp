#include "playback/wav_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "wav_builder.h"

namespace obrin {
namespace {

using test::Chunk;
using test::FmtBody;
using test::PutSample;
using test::RiffWave;
using test::Tag;
using namespace std::string_literals;

// Full-scale extremes, zero, and values between, as a writer would store them.
const std::vector<double> kValues = {0.0, 0.5, -0.5, 0.25, -1.0, 0.99};

class TempFolder {
public:
    TempFolder() {
        char name[] = "/tmp/obrin-wav-XXXXXX";
        path_ = ::mkdtemp(name);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::filesystem::path write(const std::string& bytes, const char* name = "t.wav") const {
        const auto file = path_ / name;
        test::WriteFile(file, bytes);
        return file;
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

std::string Samples(const std::vector<double>& values, int channels, bool isFloat, int bits) {
    std::string data;
    for (double v : values) {
        for (int c = 0; c < channels; ++c) PutSample(data, c == 0 ? v : -v, isFloat, bits);
    }
    return data;
}

struct FormatCase {
    const char* name;
    Tag tag;
    Tag subFormat;
    int bits;
    int channels;
    double tolerance;
};

class WavFormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(WavFormatTest, DecodesEverySampleToFullScaleFloat) {
    const FormatCase& c = GetParam();
    const bool isFloat = (c.tag == Tag::Extensible ? c.subFormat : c.tag) == Tag::Float;
    TempFolder folder;
    const auto file = folder.write(
        RiffWave({{"fmt ", FmtBody(c.tag, c.channels, 22050, c.bits, c.subFormat)},
                  {"data", Samples(kValues, c.channels, isFloat, c.bits)}}));

    WavReader reader(file);
    EXPECT_EQ(reader.format().channels, c.channels);
    EXPECT_EQ(reader.format().sampleRate, 22050);
    EXPECT_EQ(reader.format().encoding, isFloat ? SampleEncoding::Float : SampleEncoding::Integer);
    ASSERT_EQ(reader.frameCount(), kValues.size());
    std::vector<float> out(kValues.size() * static_cast<std::size_t>(c.channels));
    ASSERT_EQ(reader.read(out.data(), kValues.size() + 5), kValues.size());
    for (std::size_t f = 0; f < kValues.size(); ++f) {
        for (int ch = 0; ch < c.channels; ++ch) {
            const double expected = ch == 0 ? kValues[f] : -kValues[f];
            EXPECT_NEAR(out[f * static_cast<std::size_t>(c.channels) + ch], expected, c.tolerance)
                << "frame " << f << " channel " << ch;
        }
    }
    EXPECT_EQ(reader.read(out.data(), 1), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, WavFormatTest,
    testing::Values(FormatCase{"U8Mono", Tag::Pcm, Tag::Pcm, 8, 1, 1.0 / 128},
                      FormatCase{"S16Stereo", Tag::Pcm, Tag::Pcm, 16, 2, 1.0 / 32768},
                      FormatCase{"S24Stereo", Tag::Pcm, Tag::Pcm, 24, 2, 1e-6},
                      FormatCase{"S32Mono", Tag::Pcm, Tag::Pcm, 32, 1, 1e-6},
                      FormatCase{"F32Stereo", Tag::Float, Tag::Float, 32, 2, 1e-7},
                      FormatCase{"F64Mono", Tag::Float, Tag::Float, 64, 1, 1e-7},
                      FormatCase{"SixChannels", Tag::Pcm, Tag::Pcm, 16, 6, 1.0 / 32768},
                      FormatCase{"ExtensibleS24", Tag::Extensible, Tag::Pcm, 24, 2, 1e-6},
                      FormatCase{"ExtensibleF32", Tag::Extensible, Tag::Float, 32, 2, 1e-7}),
    [](const auto& info) { return std::string(info.param.name); });

// Headers that are odd but playable: what the reader must find in them.
struct LayoutCase {
    const char* name;
    std::vector<Chunk> chunks;
    // Bytes cut off the end of the file.
    std::size_t truncate;
    std::uint64_t frames;
};

std::string Pcm16(std::size_t frames) {
    std::vector<double> values(frames);
    for (std::size_t i = 0; i < frames; ++i) values[i] = static_cast<double>(i) / 64.0;
    return Samples(values, 1, false, 16);
}

class WavLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(WavLayoutTest, FindsTheFrames) {
    const LayoutCase& c = GetParam();
    std::string bytes = RiffWave(c.chunks);
    bytes.resize(bytes.size() - c.truncate);
    TempFolder folder;
    WavReader reader(folder.write(bytes));
    ASSERT_EQ(reader.frameCount(), c.frames);
    std::vector<float> out(c.frames);
    ASSERT_EQ(reader.read(out.data(), c.frames), c.frames);
    for (std::size_t i = 0; i < c.frames; ++i) EXPECT_NEAR(out[i], i / 64.0, 1e-4) << i;
}

const std::string kMonoFmt = FmtBody(Tag::Pcm, 1, 8000, 16);

INSTANTIATE_TEST_SUITE_P(
    Layouts, WavLayoutTest,
    testing::Values(
        LayoutCase{"Plain", {{"fmt ", kMonoFmt}, {"data", Pcm16(10)}}, 0, 10},
        LayoutCase{"ChunksBeforeAndBetween",
                   {{"LIST", "INFOISFT\x05\0\0\0obrin\0"s},
                    {"fmt ", kMonoFmt},
                    {"fact", "\x0A\0\0\0"s},
                    {"data", Pcm16(10)}},
                   0,
                   10},
        LayoutCase{"OddChunkIsPadded", {{"junk", "abc"}, {"fmt ", kMonoFmt}, {"data", Pcm16(10)}},
                   0,
                   10},
        LayoutCase{"LongerFmtChunk", {{"fmt ", kMonoFmt + std::string(4, '\0')}, {"data", Pcm16(4)}},
                   0,
                   4},
        LayoutCase{"ChunkAfterDataIgnored",
                   {{"fmt ", kMonoFmt}, {"data", Pcm16(10)}, {"LIST", "x"}},
                   0,
                   10},
        LayoutCase{"DataClaimsMoreThanTheFile",
                   {{"fmt ", kMonoFmt}, {"data", Pcm16(10), 0xFFFFFFFF}},
                   0,
                   10},
        LayoutCase{"TruncatedInsideAFrame", {{"fmt ", kMonoFmt}, {"data", Pcm16(10)}}, 1, 9},
        LayoutCase{"EmptyData", {{"fmt ", kMonoFmt}, {"data", ""}}, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Files that are not playable WAVs: the message must say why.
struct BadCase {
    const char* name;
    std::string bytes;
    const char* message;
};

class WavRejectTest : public testing::TestWithParam<BadCase> {};

TEST_P(WavRejectTest, ExplainsTheFault) {
    TempFolder folder;
    const auto file = folder.write(GetParam().bytes);
    try {
        WavReader reader(file);
        FAIL() << "accepted";
    } catch (const WavError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find(GetParam().message), std::string::npos) << what;
        EXPECT_NE(what.find(file.string()), std::string::npos) << what;
    }
}

std::string Fmt(std::uint16_t tag, int channels, int rate, int bits, int align) {
    std::string b;
    test::PutU16(b, tag);
    test::PutU16(b, static_cast<std::uint32_t>(channels));
    test::PutU32(b, static_cast<std::uint32_t>(rate));
    test::PutU32(b, 0);
    test::PutU16(b, static_cast<std::uint32_t>(align));
    test::PutU16(b, static_cast<std::uint32_t>(bits));
    return b;
}

std::string WithFmt(const std::string& fmt) { return RiffWave({{"fmt ", fmt}, {"data", Pcm16(4)}}); }

std::string BadExtensibleGuid() {
    std::string fmt = FmtBody(Tag::Extensible, 2, 8000, 16);
    fmt.back() = 'x';
    return WithFmt(fmt);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, WavRejectTest,
    testing::Values(
        BadCase{"Empty", "", "not a RIFF WAVE file"},
        BadCase{"NotRiff", "ID3\x03" + std::string(40, '\0'), "not a RIFF WAVE file"},
        BadCase{"RiffButNotWave", "RIFF\x04\0\0\0AVI "s, "not a RIFF WAVE file"},
        BadCase{"HeaderOnly", "RIFF\x04\0\0\0WAVE"s, "no \"fmt \" chunk"},
        BadCase{"NoData", RiffWave({{"fmt ", kMonoFmt}}), "no \"data\" chunk"},
        BadCase{"DataBeforeAnyFmt", RiffWave({{"data", Pcm16(4)}}), "no \"fmt \" chunk"},
        BadCase{"FmtTooShort", WithFmt(kMonoFmt.substr(0, 14)), "too short"},
        BadCase{"FmtCutOff", RiffWave({{"fmt ", kMonoFmt}}).substr(0, 30), "cut off"},
        BadCase{"Mp3InWav", WithFmt(Fmt(0x0055, 2, 44100, 0, 1)), "0x0055 is not PCM"},
        BadCase{"ImaAdpcm", WithFmt(Fmt(0x0011, 1, 8000, 4, 256)), "0x0011 is not PCM"},
        BadCase{"NoChannels", WithFmt(Fmt(1, 0, 8000, 16, 2)), "no channels"},
        BadCase{"ZeroRate", WithFmt(Fmt(1, 1, 0, 16, 2)), "sample rate of 0"},
        BadCase{"ZeroBlockAlign", WithFmt(Fmt(1, 1, 8000, 16, 0)), "block alignment"},
        BadCase{"Integer48Bit", WithFmt(Fmt(1, 1, 8000, 48, 6)), "48-bit integer"},
        BadCase{"Float16Bit", WithFmt(Fmt(3, 1, 8000, 16, 2)), "16-bit float"},
        BadCase{"ZeroBits", WithFmt(Fmt(1, 1, 8000, 0, 2)), "0-bit integer"},
        BadCase{"ExtensibleTooShort", WithFmt(Fmt(0xFFFE, 1, 8000, 16, 2)), "too short"},
        BadCase{"ExtensibleUnknownGuid", BadExtensibleGuid(), "sub-format"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WavReader, MissingFileAndFolderAreRejected) {
    TempFolder folder;
    EXPECT_THROW(WavReader(folder.path() / "missing.wav"), WavError);
    EXPECT_THROW(WavReader{folder.path()}, WavError);
}

TEST(WavReader, SeeksAndReadsInPieces) {
    TempFolder folder;
    WavReader reader(folder.write(RiffWave({{"fmt ", kMonoFmt}, {"data", Pcm16(50)}})));
    reader.seek(7);
    std::vector<float> out(50);
    std::size_t got = 0;
    while (const std::size_t n = reader.read(out.data() + got, 3)) got += n;
    ASSERT_EQ(got, 43u);
    for (std::size_t i = 0; i < got; ++i) EXPECT_NEAR(out[i], (i + 7) / 64.0, 1e-4);
    EXPECT_EQ(reader.tell(), 50u);

    reader.seek(1000);
    EXPECT_EQ(reader.tell(), 50u);
    EXPECT_EQ(reader.read(out.data(), 1), 0u);
    reader.seek(0);
    ASSERT_EQ(reader.read(out.data(), 1), 1u);
    EXPECT_EQ(out[0], 0.0f);
}

TEST(WavReader, NonFiniteFloatSamplesAreSilence) {
    TempFolder folder;
    std::string data;
    for (double v : {0.5, std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity()}) {
        PutSample(data, v, true, 32);
    }
    WavReader reader(
        folder.write(RiffWave({{"fmt ", FmtBody(Tag::Float, 1, 8000, 32)}, {"data", data}})));
    float out[3];
    ASSERT_EQ(reader.read(out, 3), 3u);
    EXPECT_EQ(out[0], 0.5f);
    EXPECT_EQ(out[1], 0.0f);
    EXPECT_EQ(out[2], 0.0f);
}

}  // namespace
}  // namespace obrin
