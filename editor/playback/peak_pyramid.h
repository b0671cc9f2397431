#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

namespace obrin {

class WavReader;

// The lowest and highest sample of a stretch of sound, full scale ±1.
struct PeakPair {
    float min = 0.0f;
    float max = 0.0f;
};

// The waveform of a whole song at every zoom level the strip can show: the
// channels mixed (their mean), then the lowest and highest sample of every
// block of about 5 ms (level 0), of every two blocks (level 1), of every four
// (level 2), and so on up to one pair for the whole song. A column of any
// width is then made from at most two pairs of each level, exactly to the
// block, so painting never touches the samples. Pairs are kept as 16-bit
// values: an hour of sound at 44.1 kHz takes about 5 MB.
class PeakPyramid {
  public:
    // Reads the reader from its first frame to the end. Returns nothing when
    // `stop` is requested meanwhile (it is looked at between reads of about
    // 1.5 s of sound). Throws WavError when the file cannot be read.
    [[nodiscard]] static std::optional<PeakPyramid> Build(WavReader& reader,
                                                          std::stop_token stop = {});

    int sampleRate() const { return sampleRate_; }
    std::uint64_t frameCount() const { return frameCount_; }
    // Frames of one level-0 block: the sample rate / 200, at least 1.
    std::uint32_t blockFrames() const { return blockFrames_; }
    std::size_t memoryBytes() const;

    // One pair per column: column i covers the frames from
    // firstFrame + i * framesPerColumn up to the next column's first. Columns
    // that begin at or after the end of the song are left out, so the result
    // may be shorter than `columns`. A column covers the blocks its frames
    // touch; one narrower than a block shows the block it falls in.
    [[nodiscard]] std::vector<PeakPair> columns(double firstFrame, double framesPerColumn,
                                                int columns) const;

  private:
    struct Pair16 {
        std::int16_t min;
        std::int16_t max;
    };
    // The lowest and highest of level-0 blocks first..last.
    PeakPair range(std::uint64_t first, std::uint64_t last) const;

    int sampleRate_ = 0;
    std::uint64_t frameCount_ = 0;
    std::uint32_t blockFrames_ = 1;
    std::vector<std::vector<Pair16>> levels_;
};

}  // namespace obrin
