#include "export/mpeg_audio.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>

namespace obrin {
namespace {

struct FrameHeader {
    int version = 0;  // 1, 2, or 25 for 2.5
    int layer = 0;
    int sampleRate = 0;
    std::size_t length = 0;
};

unsigned char At(std::string_view bytes, std::size_t i) {
    return static_cast<unsigned char>(bytes[i]);
}

// kbit/s by [MPEG-1?][layer - 1][index]; index 0 (free format) and 15 are
// left out, since a frame's length cannot be known from them.
constexpr std::array<std::array<std::array<int, 15>, 3>, 2> kBitrates{{
    {{{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}},
    {{{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}}},
}};
constexpr std::array<int, 3> kRates{44100, 48000, 32000};

std::optional<FrameHeader> ParseHeader(std::string_view bytes, std::size_t at) {
    if (bytes.size() < at + 4) return std::nullopt;
    const unsigned b1 = At(bytes, at + 1), b2 = At(bytes, at + 2), b3 = At(bytes, at + 3);
    if (At(bytes, at) != 0xFF || (b1 & 0xE0) != 0xE0) return std::nullopt;
    const unsigned versionBits = (b1 >> 3) & 3, layerBits = (b1 >> 1) & 3;
    const unsigned bitrateIndex = b2 >> 4, rateIndex = (b2 >> 2) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3 || (b3 & 3) == 2) {
        return std::nullopt;
    }
    FrameHeader header;
    header.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    header.layer = static_cast<int>(4 - layerBits);
    const bool mpeg1 = header.version == 1;
    const int bitrate = kBitrates[mpeg1][static_cast<std::size_t>(header.layer - 1)][bitrateIndex] * 1000;
    header.sampleRate = kRates[rateIndex] / (mpeg1 ? 1 : header.version == 2 ? 2 : 4);
    const int padding = static_cast<int>((b2 >> 1) & 1);
    int length = 0;
    if (header.layer == 1) {
        length = (12 * bitrate / header.sampleRate + padding) * 4;
    } else {
        const int factor = header.layer == 3 && !mpeg1 ? 72 : 144;
        length = factor * bitrate / header.sampleRate + padding;
    }
    header.length = static_cast<std::size_t>(length);
    return header;
}

// The bytes of the ID3v2 tags at the start, footers included.
std::size_t Id3v2Length(std::string_view head, std::size_t at) {
    while (head.size() >= at + 10 && head.substr(at, 3) == "ID3") {
        std::size_t size = 0;
        for (std::size_t i = 6; i < 10; ++i) size = size << 7 | (At(head, at + i) & 0x7F);
        const bool footer = (At(head, at + 5) & 0x10) != 0;
        at += 10 + size + (footer ? 10 : 0);
    }
    return at;
}

}  // namespace

bool BeginsMpegAudio(std::string_view head, bool wholeFile) {
    const std::size_t start = Id3v2Length(head, 0);
    const std::size_t end = std::min(head.size(), start + kMpegSearchBytes);
    for (std::size_t at = start; at + 4 <= end; ++at) {
        const auto header = ParseHeader(head, at);
        if (!header) continue;
        const std::size_t next = at + header->length;
        if (next >= head.size()) {
            // A file cut inside the frame it starts with is still MPEG audio;
            // behind other bytes, a frame cut off by the file's end is no
            // proof: other bytes (random data, an Ogg file) often hold a
            // header-like pattern within a frame's length of their end.
            if (wholeFile && (at == start || next == head.size())) return true;
            continue;
        }
        const auto following = ParseHeader(head, next);
        if (following && following->version == header->version &&
            following->layer == header->layer && following->sampleRate == header->sampleRate) {
            return true;
        }
    }
    return false;
}

bool FileIsMpegAudio(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    // The tags in front may be large (cover art): only their headers are
    // read on the way to the search window behind them.
    std::size_t at = 0;
    for (;;) {
        std::string header(10, '\0');
        in.seekg(static_cast<std::streamoff>(at));
        in.read(header.data(), 10);
        header.resize(static_cast<std::size_t>(in.gcount()));
        const std::size_t behind = Id3v2Length(header, 0);
        if (behind == 0) break;
        at += behind;
    }
    in.clear();
    in.seekg(static_cast<std::streamoff>(at));
    // Room for the longest frame behind the last place a header may start.
    std::string window(kMpegSearchBytes + 4 * 1024, '\0');
    in.read(window.data(), static_cast<std::streamsize>(window.size()));
    window.resize(static_cast<std::size_t>(in.gcount()));
    return BeginsMpegAudio(window, in.eof());
}

}  // namespace obrin
