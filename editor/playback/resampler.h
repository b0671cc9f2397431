#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace obrin {

// Converts interleaved float frames from one sample rate to another, for audio
// outputs that do not take the file's rate. Output frame j is the input signal
// at input position j * inputRate / outputRate exactly: the filter is a
// windowed sinc centred on that position, so a count of output frames maps
// back to the input without any delay to account for. The filter's cut-off
// lies below the lower of the two rates' Nyquist frequency, so going down in
// rate does not fold high frequencies back into the audible range.
class Resampler {
  public:
    // Fills `out` with up to `frames` input frames and returns how many; fewer
    // only at the end of the input.
    using Source = std::function<std::size_t(float* out, std::size_t frames)>;

    Resampler(int inputRate, int outputRate, int channels);

    // Starts again at input frame 0 with nothing buffered.
    void reset();
    // Writes up to `frames` output frames, pulling input from `source` as
    // needed, and returns how many; less than asked only at the end of the
    // input, after which the input is taken as silent.
    [[nodiscard]] std::size_t render(float* out, std::size_t frames, const Source& source);
    // The input position (frames, fractional) output frame `outputFrame` plays.
    [[nodiscard]] double inputFrameAt(double outputFrame) const { return outputFrame * step_; }

  private:
    // Makes input frames up to `last` available, or as many as there are.
    void fill(long long last, const Source& source);
    [[nodiscard]] float kernel(double distance) const;

    double step_;
    int channels_;
    // Half the filter's width, in input frames.
    int halfWidth_;
    // The kernel from distance 0 to halfWidth_, sampled finely.
    std::vector<float> table_;
    double tableScale_;
    // Input frames from `first_` on, interleaved.
    std::vector<float> input_;
    long long first_ = 0;
    long long available_ = 0;
    // Input frames in all, once the source has run dry; -1 before.
    long long inputEnd_ = -1;
    long long produced_ = 0;
};

}  // namespace obrin
