// Telling MPEG audio from other bytes named ".mp3", before a lyric MP3 is
// made of them.
#include "export/mpeg_audio.h"

#include <gtest/gtest.h>

#include <string>

#include "file_bytes.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using namespace std::string_literals;

// MPEG-1 layer III, 128 kbit/s, 44.1 kHz: 417-byte frames.
std::string Mpeg1Frames(int count) {
    std::string frame = "\xFF\xFB\x90\x64"s + std::string(413, '\x55');
    std::string frames;
    for (int i = 0; i < count; ++i) frames += frame;
    return frames;
}

// MPEG-2 layer III, 64 kbit/s, 22.05 kHz: 208-byte frames.
std::string Mpeg2Frames(int count) {
    std::string frame = "\xFF\xF3\x80\x64"s + std::string(204, '\x55');
    std::string frames;
    for (int i = 0; i < count; ++i) frames += frame;
    return frames;
}

std::string Id3v2(std::size_t bodySize) {
    std::string tag = "ID3\x03\x00\x00"s;
    for (int shift = 21; shift >= 0; shift -= 7) tag += static_cast<char>((bodySize >> shift) & 0x7F);
    return tag + std::string(bodySize, '\0');
}

struct HeadCase {
    const char* name;
    std::string head;
    bool wholeFile;
    bool mpeg;
};

class MpegAudioHeads : public testing::TestWithParam<HeadCase> {};

TEST_P(MpegAudioHeads, AreToldApart) {
    EXPECT_EQ(BeginsMpegAudio(GetParam().head, GetParam().wholeFile), GetParam().mpeg);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MpegAudioHeads,
    testing::Values(
        HeadCase{"TwoFrames", Mpeg1Frames(2), false, true},
        HeadCase{"Mpeg2Frames", Mpeg2Frames(3), false, true},
        HeadCase{"BehindAnId3v2Tag", Id3v2(3000) + Mpeg1Frames(2), false, true},
        HeadCase{"BehindTwoTags", Id3v2(10) + Id3v2(20) + Mpeg1Frames(2), false, true},
        HeadCase{"BehindLeadingZeros", std::string(1000, '\0') + Mpeg1Frames(2), false, true},
        HeadCase{"OneFrameThatIsTheWholeFile", Mpeg1Frames(1), true, true},
        HeadCase{"AFileCutInsideItsFirstFrame", "\xFF\xFB\x90\x64 audio"s, true, true},
        HeadCase{"OneFrameBehindLeadingZeros", std::string(100, '\0') + Mpeg1Frames(1), true, true},
        // Other bytes with a sync pattern near their end, the frame it would
        // start running past the end of the file (random bytes, an Ogg file).
        HeadCase{"ASyncPatternNearTheEndOfOtherBytes",
                 std::string(1000, 'x') + "\xFF\xFB\x90\x64"s + std::string(100, 'x'), true, false},
        HeadCase{"LyricsText", "[00:01:00]歌詞\r\n[00:02:00]続き\r\n"s, true, false},
        HeadCase{"Empty", "", true, false},
        HeadCase{"AnId3v2TagAlone", Id3v2(100), true, false},
        // A lone sync pattern with no frame of the same stream behind it.
        HeadCase{"HeaderFollowedByOtherBytes",
                 "\xFF\xFB\x90\x64"s + std::string(413, 'x') + "not a frame", false, false},
        HeadCase{"FramesOfTwoStreams", Mpeg1Frames(1) + Mpeg2Frames(1), false, false},
        HeadCase{"ReservedVersion", "\xFF\xEB\x90\x64"s + std::string(413, 'x') + "\xFF\xEB\x90\x64"s,
                 false, false},
        HeadCase{"FreeFormatBitrate",
                 "\xFF\xFB\x00\x64"s + std::string(413, 'x') + "\xFF\xFB\x00\x64"s, false, false},
        HeadCase{"FramesPastTheSearchWindow", std::string(kMpegSearchBytes, '\0') + Mpeg1Frames(2),
                 false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MpegAudioFile, ReadsPastALargeTagInFront) {
    test::TempFolder folder;
    const auto file = folder / "song.mp3";
    test::WriteBytes(file, Id3v2(200'000) + Mpeg1Frames(3));
    EXPECT_TRUE(FileIsMpegAudio(file));
    test::WriteBytes(file, Id3v2(200'000) + "text behind the tag");
    EXPECT_FALSE(FileIsMpegAudio(file));
    EXPECT_FALSE(FileIsMpegAudio(folder / "missing.mp3"));
}

}  // namespace
}  // namespace obrin
