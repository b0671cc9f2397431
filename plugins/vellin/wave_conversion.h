#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

namespace obrin::vellin {

// The progress report of one conversion: (total, done) in source bytes,
// returning nonzero to stop.
using ProgressFunction = std::function<std::int32_t(std::int32_t total, std::int32_t done)>;

// Converts the RIFF WAVE file `source` into a PCM WAV file at `wav`, one
// source block (block alignment × 1024 bytes) at a time, reporting progress
// once per block, before converting it. The WAV has the rate and channels
// the audio really has (for compressed audio, those of its first frame).
// Returns 0 when the whole "data" chunk was converted and the WAV is
// complete; 1 for every failure (a decoder or resampler that cannot be set
// up, a rate above kHighestRate, audio data that yields no audio at all) and
// for a stop asked for by `progress` (the WAV then holds the blocks converted
// before the stop, sizes filled in).
[[nodiscard]] int ConvertWave(const std::filesystem::path& source, const std::filesystem::path& wav,
                              const ProgressFunction& progress);

}  // namespace obrin::vellin
