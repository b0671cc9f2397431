#include "playback/output_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace obrin {
namespace {

struct ChoiceCase {
    const char* name;
    OutputFormat source;
    OutputFormat expected;
};

class OutputFormatChoiceTest : public testing::TestWithParam<ChoiceCase> {};

// An output that takes 8 - 48 kHz and one or two channels, and prefers 48 kHz
// stereo.
TEST_P(OutputFormatChoiceTest, KeepsWhatTheOutputTakesAndPrefersTheRest) {
    const OutputCapabilities output{8000, 48000, 1, 2, {48000, 2}};
    EXPECT_EQ(ChooseOutputFormat(GetParam().source, output), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Formats, OutputFormatChoiceTest,
                         testing::Values(ChoiceCase{"CdStereo", {44100, 2}, {44100, 2}},
                                         ChoiceCase{"TelephoneMono", {8000, 1}, {8000, 1}},
                                         ChoiceCase{"HighRateMono", {96000, 1}, {48000, 1}},
                                         ChoiceCase{"StudioRateSurround", {192000, 6}, {48000, 2}},
                                         ChoiceCase{"BelowTheRange", {4000, 2}, {48000, 2}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EncodeSamples, ScalesRoundsAndClips) {
    const std::vector<float> in{-1.0f, 0.0f, 0.5f, 1.2f};
    std::vector<unsigned char> out(in.size() * 4);

    EncodeSamples(in.data(), in.size(), SampleType::Int16, out.data());
    std::int16_t s16[4];
    std::memcpy(s16, out.data(), sizeof s16);
    EXPECT_EQ(std::vector<int>(s16, s16 + 4), (std::vector<int>{-32768, 0, 16384, 32767}));

    EncodeSamples(in.data(), in.size(), SampleType::Int32, out.data());
    std::int32_t s32[4];
    std::memcpy(s32, out.data(), sizeof s32);
    EXPECT_EQ(std::vector<std::int64_t>(s32, s32 + 4),
              (std::vector<std::int64_t>{-2147483648LL, 0, 1073741824, 2147483647}));

    EncodeSamples(in.data(), in.size(), SampleType::UInt8, out.data());
    EXPECT_EQ(std::vector<int>(out.begin(), out.begin() + 4), (std::vector<int>{0, 128, 192, 255}));

    EncodeSamples(in.data(), in.size(), SampleType::Float, out.data());
    float f[4];
    std::memcpy(f, out.data(), sizeof f);
    EXPECT_EQ(std::vector<float>(f, f + 4), in);
}

}  // namespace
}  // namespace obrin
