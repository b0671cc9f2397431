#pragma once

// Builds WAV files byte by byte for the player's tests and benchmarks, so each
// test states exactly the header it feeds the reader, malformed ones included.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace obrin::test {

inline void PutU16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8 & 0xFF);
}

inline void PutU32(std::string& out, std::uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

struct Chunk {
    std::string id;
    std::string body;
    // Written as the chunk's size when set, instead of the body's length.
    std::int64_t claimedSize = -1;
};

// "RIFF" <size> "WAVE" and the chunks, each padded to an even length.
inline std::string RiffWave(const std::vector<Chunk>& chunks) {
    std::string body = "WAVE";
    for (const Chunk& c : chunks) {
        body += c.id;
        PutU32(body, static_cast<std::uint32_t>(c.claimedSize >= 0 ? c.claimedSize
                                                                   : std::int64_t(c.body.size())));
        body += c.body;
        if (c.body.size() % 2 == 1) body += '\0';
    }
    std::string file = "RIFF";
    PutU32(file, static_cast<std::uint32_t>(body.size()));
    return file + body;
}

enum class Tag : std::uint16_t { Pcm = 1, Float = 3, Extensible = 0xFFFE };

// A "fmt " body; `subFormat` is the real tag when `tag` is Extensible.
inline std::string FmtBody(Tag tag, int channels, int rate, int bits, Tag subFormat = Tag::Pcm) {
    std::string b;
    const int align = channels * ((bits + 7) / 8);
    PutU16(b, static_cast<std::uint16_t>(tag));
    PutU16(b, static_cast<std::uint32_t>(channels));
    PutU32(b, static_cast<std::uint32_t>(rate));
    PutU32(b, static_cast<std::uint32_t>(rate * align));
    PutU16(b, static_cast<std::uint32_t>(align));
    PutU16(b, static_cast<std::uint32_t>(bits));
    if (tag == Tag::Extensible) {
        PutU16(b, 22);
        PutU16(b, static_cast<std::uint32_t>(bits));
        PutU32(b, channels == 1 ? 0x4 : 0x3);
        PutU16(b, static_cast<std::uint16_t>(subFormat));
        const unsigned char tail[] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                      0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        b.append(reinterpret_cast<const char*>(tail), sizeof tail);
    }
    return b;
}

// Stores `value` (full scale ±1) the way a writer of that format would.
inline void PutSample(std::string& out, double value, bool isFloat, int bits) {
    if (isFloat) {
        if (bits == 32) {
            const float f = static_cast<float>(value);
            out.append(reinterpret_cast<const char*>(&f), sizeof f);
        } else {
            out.append(reinterpret_cast<const char*>(&value), sizeof value);
        }
        return;
    }
    const double clamped = std::clamp(value, -1.0, 1.0);
    if (bits == 8) {
        out += static_cast<char>(std::lround(std::min(clamped * 128.0 + 128.0, 255.0)));
        return;
    }
    const double full = std::ldexp(1.0, bits - 1);
    const auto v = static_cast<std::int64_t>(std::llround(std::min(clamped * full, full - 1)));
    for (int shift = 0; shift < bits; shift += 8) out += static_cast<char>(v >> shift & 0xFF);
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// A 16-bit sine of `seconds`, written one second at a time so that an
// hour-long file never sits in memory.
inline void WriteSineWav(const std::filesystem::path& path, double seconds, int rate = 44100,
                         int channels = 2, double hz = 440.0) {
    const auto frames = static_cast<std::uint64_t>(std::llround(seconds * rate));
    const std::uint64_t dataBytes = frames * static_cast<std::uint64_t>(channels) * 2;
    std::string head = "RIFF";
    PutU32(head, static_cast<std::uint32_t>(4 + 8 + 16 + 8 + dataBytes));
    head += "WAVEfmt ";
    PutU32(head, 16);
    head += FmtBody(Tag::Pcm, channels, rate, 16);
    head += "data";
    PutU32(head, static_cast<std::uint32_t>(dataBytes));
    std::ofstream out(path, std::ios::binary);
    out.write(head.data(), std::streamsize(head.size()));
    std::string block;
    for (std::uint64_t f = 0; f < frames; ++f) {
        const double v = 0.5 * std::sin(2 * std::numbers::pi * hz * double(f) / rate);
        for (int c = 0; c < channels; ++c) PutSample(block, v, false, 16);
        if (block.size() >= static_cast<std::size_t>(rate) * 4) {
            out.write(block.data(), std::streamsize(block.size()));
            block.clear();
        }
    }
    out.write(block.data(), std::streamsize(block.size()));
}

}  // namespace obrin::test
