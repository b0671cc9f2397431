#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <vector>

namespace obrin {

class WavReader;

// The onset detector could not be set up for the song (aubio refused its
// parameters, as for a sample rate it cannot work at).
class OnsetError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Where sounds begin in the voice's band: the channels mixed, band-limited to
// about 250 Hz ... 3.5 kHz (a high-pass and a low-pass biquad), so the bass and
// the cymbals start fewer false onsets, then aubio's onset detector. Onsets
// lie at least 50 ms apart.
//
// Reads the reader from its first frame to the end; returns the onset times
// in milliseconds, ascending, or nothing when `stop` is requested meanwhile.
// Throws WavError when the file cannot be read and OnsetError when the
// detector cannot be made.
[[nodiscard]] std::optional<std::vector<std::int32_t>> DetectVocalOnsets(WavReader& reader,
                                                                         std::stop_token stop = {});

}  // namespace obrin
