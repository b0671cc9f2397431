#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace obrin::riff {

// The WAVEFORMATEX record of a "fmt " chunk (little-endian on disk).
struct WaveFormat {
    static constexpr std::uint16_t kPcm = 0x0001;
    static constexpr std::uint16_t kIeeeFloat = 0x0003;
    static constexpr std::uint16_t kExtensible = 0xFFFE;
    static constexpr std::size_t kRecordSize = 18;

    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    // The bytes after the 18-byte record that its size-of-extra-bytes field
    // announces, as far as the chunk holds them (codec set-up data).
    std::vector<std::byte> extra;

    // Reads a chunk body; a short chunk reads as if zero-filled to 18 bytes,
    // so a 16-byte PCM chunk has no extra bytes.
    static WaveFormat Parse(std::span<const std::byte> body);
    // The 18-byte record followed by `extra`, its size field set to match.
    std::vector<std::byte> serialize() const;

    // The tag that names the coding: for WAVE_FORMAT_EXTENSIBLE the first two
    // bytes of its sub-format GUID, otherwise formatTag.
    std::uint16_t codingTag() const;

    // Plain integer PCM of the given shape; 8-bit PCM is unsigned.
    static WaveFormat Pcm(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits);
};

}  // namespace obrin::riff
