#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "temp_folder.h"

// Byte-level helpers for the plug-in tests: reading whole files, building
// RIFF files chunk by chunk (damaged ones included), and taking apart the
// exact layout vellin writes.
namespace obrin::test {

using Bytes = std::string;

inline Bytes Le16(std::uint16_t v) {
    return {char(v & 0xFF), char(v >> 8)};
}
inline Bytes Le32(std::uint32_t v) {
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}
inline std::uint32_t ReadLe(const Bytes& b, std::size_t at, int width) {
    std::uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b.at(at + i));
    return v;
}

// `flac` with its Vorbis comments replaced by `count` fields, each of a key
// of its own. FFmpeg reads them in one call that no interrupt reaches, in
// time that grows with the square of their number: 100,000 take minutes.
inline Bytes FlacWithComments(const Bytes& flac, std::size_t count) {
    const auto byte = [&flac](std::size_t at) { return static_cast<unsigned char>(flac.at(at)); };
    Bytes head = "fLaC";
    std::size_t pos = 4;
    for (bool last = false; !last;) {
        last = (byte(pos) & 0x80) != 0;
        const std::size_t size = byte(pos + 1) << 16 | byte(pos + 2) << 8 | byte(pos + 3);
        if ((byte(pos) & 0x7F) != 4)
            head += char(byte(pos) & 0x7F) + flac.substr(pos + 1, 3 + size);
        pos += 4 + size;
    }
    Bytes comments = Le32(0) + Le32(static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const Bytes field = "K" + std::to_string(i) + "=v";
        comments += Le32(static_cast<std::uint32_t>(field.size())) + field;
    }
    const std::size_t size = comments.size();
    // The last block, a VORBIS_COMMENT, with its 24-bit big-endian size.
    head += {char(0x84), char(size >> 16), char(size >> 8), char(size)};
    return head + comments + flac.substr(pos);
}

// A chunk with its size field as given (default: the body's real length).
inline Bytes Chunk(const std::string& id, const Bytes& body,
                   std::optional<std::uint32_t> size = std::nullopt) {
    Bytes out = id + Le32(size.value_or(static_cast<std::uint32_t>(body.size()))) + body;
    if (!size && body.size() % 2 == 1) out += '\0';
    return out;
}

inline Bytes Riff(const Bytes& inner, std::optional<std::uint32_t> size = std::nullopt) {
    return Chunk("RIFF", "WAVE" + inner, size);
}

// A 16-byte PCM "fmt " body.
inline Bytes PcmFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                       std::uint16_t tag = 1) {
    const std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
    return Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * align) + Le16(align) + Le16(bits);
}

// The fixed layout of vellin's output.
struct PcmWave {
    std::uint16_t formatTag = 0, channels = 0, blockAlign = 0, bits = 0, extraSize = 0;
    std::uint32_t rate = 0, bytesPerSec = 0;
    Bytes data;
};

// Checks every fixed field and size of the layout; std::nullopt (with the
// reason in `why`) when anything is off.
inline std::optional<PcmWave> ParseVellinOutput(const Bytes& b, std::string& why) {
    if (b.size() < 46) return why = "shorter than the header", std::nullopt;
    if (b.compare(0, 4, "RIFF") || b.compare(8, 4, "WAVE") || b.compare(12, 4, "fmt ") ||
        b.compare(38, 4, "data")) {
        return why = "chunk identifiers out of place", std::nullopt;
    }
    if (ReadLe(b, 16, 4) != 18) return why = "\"fmt \" is not 18 bytes", std::nullopt;
    const std::uint32_t n = ReadLe(b, 42, 4);
    if (b.size() != 46 + n + (n & 1))
        return why = "file size does not match \"data\"", std::nullopt;
    if (ReadLe(b, 4, 4) != b.size() - 8) return why = "RIFF size is not the rest", std::nullopt;
    if ((n & 1) && b.back() != '\0') return why = "pad byte is not zero", std::nullopt;
    PcmWave w;
    w.formatTag = static_cast<std::uint16_t>(ReadLe(b, 20, 2));
    w.channels = static_cast<std::uint16_t>(ReadLe(b, 22, 2));
    w.rate = ReadLe(b, 24, 4);
    w.bytesPerSec = ReadLe(b, 28, 4);
    w.blockAlign = static_cast<std::uint16_t>(ReadLe(b, 32, 2));
    w.bits = static_cast<std::uint16_t>(ReadLe(b, 34, 2));
    w.extraSize = static_cast<std::uint16_t>(ReadLe(b, 36, 2));
    w.data = b.substr(46, n);
    return w;
}

// The converted file at `wav`, which must be well formed; an empty wave, with
// the expectation failed, when it is not.
inline PcmWave ParsedOutput(const std::filesystem::path& wav) {
    std::string why;
    auto parsed = ParseVellinOutput(ReadBytes(wav), why);
    EXPECT_TRUE(parsed) << why;
    return parsed.value_or(PcmWave{});
}

}  // namespace obrin::test
