#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <variant>
#include <vector>

#include "acm_result.h"
#include "obrin_riff/wave_format.h"

namespace obrin::vellin {

// Where a decoder hands its PCM, one bounded piece at a time (a source block
// or one decoded frame), so a conversion never holds more than that.
using PcmSink = std::function<void(std::span<const std::byte> pcm)>;

// The highest sample rate a conversion writes: no playback device goes
// beyond it, and a damaged header claiming more must not drive the work.
inline constexpr std::uint32_t kHighestRate = 384000;

// A failure met while decoding that no later block can mend: the decoder
// cannot be set up for what the stream really holds (its rate, its channels).
struct DecodeFailure {
    AcmResult result;
};

// Turns the source's encoded audio into PCM, one source block at a time; the
// stand-in for the platform's conversion stream.
class BlockDecoder {
  public:
    virtual ~BlockDecoder() = default;
    // Converts one block, handing the PCM it yields to `sink`. Damaged data
    // is skipped; a decoder may hold back audio until later blocks arrive.
    // Throws DecodeFailure.
    virtual void convert(std::span<const std::byte> block, const PcmSink& sink) = 0;
    // Hands over whatever the decoder still holds after the last block.
    virtual void finish(const PcmSink& sink) = 0;
    // The format of every piece handed out. Fixed before the first piece; a
    // decoder of compressed audio takes it from the stream's first frame.
    [[nodiscard]] virtual riff::WaveFormat format() const = 0;
};

// The PCM format a source converts to: integer PCM keeps its channels, rate
// and sample width; everything else becomes 16-bit PCM at the source's rate
// and channels. A source with no channels or rate gets an all-zero PCM record.
[[nodiscard]] riff::WaveFormat SuggestPcmFormat(const riff::WaveFormat& source);

// A decoder from `source`, starting from `destination` (as SuggestPcmFormat
// gave it), or why there is none: kInvalidParam for a format record that
// cannot describe audio (no channels, no rate, zero block alignment) or PCM
// faster than kHighestRate, kNotPossible when no decoder exists for its
// coding.
[[nodiscard]] std::variant<std::unique_ptr<BlockDecoder>, AcmResult> OpenBlockDecoder(
    const riff::WaveFormat& source, const riff::WaveFormat& destination);

// For OpenBlockDecoder only: the two kinds of decoder behind it.
std::unique_ptr<BlockDecoder> MakePcmCopyDecoder(const riff::WaveFormat& destination);
std::variant<std::unique_ptr<BlockDecoder>, AcmResult> MakeAvcodecDecoder(
    const riff::WaveFormat& source, const riff::WaveFormat& destination);

}  // namespace obrin::vellin
