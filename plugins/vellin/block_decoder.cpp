#include "block_decoder.h"

namespace obrin::vellin {

namespace {

using riff::WaveFormat;

bool DescribesAudio(const WaveFormat& format) {
    return format.channels != 0 && format.samplesPerSec != 0;
}

// Bytes per sample of integer PCM, taken from the block alignment (the
// container width) since the bit count may name only the valid bits.
unsigned PcmSampleBytes(const WaveFormat& format) {
    if (format.channels == 0 || format.blockAlign % format.channels != 0) return 0;
    return format.blockAlign / format.channels;
}

}  // namespace

WaveFormat SuggestPcmFormat(const WaveFormat& source) {
    if (!DescribesAudio(source)) return WaveFormat::Pcm(0, 0, 0);
    if (source.codingTag() == WaveFormat::kPcm) {
        const unsigned bytes = PcmSampleBytes(source);
        if (bytes >= 1 && bytes <= 4) {
            return WaveFormat::Pcm(source.channels, source.samplesPerSec,
                                   static_cast<std::uint16_t>(bytes * 8));
        }
    }
    return WaveFormat::Pcm(source.channels, source.samplesPerSec, 16);
}

std::variant<std::unique_ptr<BlockDecoder>, AcmResult> OpenBlockDecoder(
    const WaveFormat& source, const WaveFormat& destination) {
    // A zero block alignment would make a zero-byte block and a conversion
    // that never advances.
    if (!DescribesAudio(source) || source.blockAlign == 0) return AcmResult::kInvalidParam;
    // An extensible record too short for its sub-format names no coding at
    // all; the tag 0xFFFE itself would be looked up as a codec of its own.
    if (source.codingTag() == WaveFormat::kExtensible) return AcmResult::kNotPossible;
    if (source.codingTag() == WaveFormat::kPcm) {
        const unsigned bytes = PcmSampleBytes(source);
        if (bytes < 1 || bytes > 4) return AcmResult::kNotPossible;
        // Copied as it is, so its own rate is the one played.
        if (source.samplesPerSec > kHighestRate) return AcmResult::kInvalidParam;
        return MakePcmCopyDecoder(destination);
    }
    return MakeAvcodecDecoder(source, destination);
}

}  // namespace obrin::vellin
