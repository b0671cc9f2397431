#pragma once

#include <cstddef>

#include "playback/playback_stream.h"

namespace obrin {

// What an audio output takes, as far as choosing how to play a file needs.
struct OutputCapabilities {
    int minimumSampleRate = 0;
    int maximumSampleRate = 0;
    int minimumChannels = 0;
    int maximumChannels = 0;
    // What the output plays best, used where the file's own is refused.
    OutputFormat preferred;
};

// The format to play a file of format `source` through an output: the file's
// own rate and channels where the output takes them, its preferred ones where
// not. The stream converts, so nothing the decoders deliver is refused.
[[nodiscard]] OutputFormat ChooseOutputFormat(OutputFormat source,
                                              const OutputCapabilities& output);

// How the output stores one sample; float where it can.
enum class SampleType { Float, Int16, Int32, UInt8 };

[[nodiscard]] int BytesPerSample(SampleType type);
// Writes `count` samples (full scale ±1, clipped beyond) as `type` to `out`,
// which holds count * BytesPerSample(type) bytes.
void EncodeSamples(const float* in, std::size_t count, SampleType type, unsigned char* out);

}  // namespace obrin
