#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <variant>
#include <vector>

#include "acm_result.h"
#include "obrin_riff/wave_format.h"

namespace obrin::vellin {

// Turns the source's encoded audio into PCM of the destination format, one
// source block at a time; the stand-in for the platform's conversion stream.
class BlockDecoder {
  public:
    virtual ~BlockDecoder() = default;
    // Converts one block, appending the PCM it yields to `pcm`. Damaged data
    // is skipped; a decoder may hold back audio until later blocks arrive.
    virtual void convert(std::span<const std::byte> block, std::vector<std::byte>& pcm) = 0;
    // Appends whatever the decoder still holds after the last block.
    virtual void finish(std::vector<std::byte>& pcm) = 0;
};

// The PCM format a source converts to: integer PCM keeps its channels, rate
// and sample width; everything else becomes 16-bit PCM at the source's rate
// and channels. A source with no channels or rate gets an all-zero PCM record.
[[nodiscard]] riff::WaveFormat SuggestPcmFormat(const riff::WaveFormat& source);

// A decoder from `source` to `destination` (as SuggestPcmFormat gave it), or
// why there is none: kInvalidParam for a format record that cannot describe
// audio (no channels, no rate, zero block alignment), kNotPossible when no
// decoder exists for its coding.
[[nodiscard]] std::variant<std::unique_ptr<BlockDecoder>, AcmResult> OpenBlockDecoder(
    const riff::WaveFormat& source, const riff::WaveFormat& destination);

// For OpenBlockDecoder only: the two kinds of decoder behind it.
std::unique_ptr<BlockDecoder> MakePcmCopyDecoder(std::uint16_t blockAlign);
std::variant<std::unique_ptr<BlockDecoder>, AcmResult> MakeAvcodecDecoder(
    const riff::WaveFormat& source, const riff::WaveFormat& destination);

}  // namespace obrin::vellin
