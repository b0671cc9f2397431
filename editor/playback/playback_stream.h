#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <vector>

#include "playback/resampler.h"
#include "playback/wav_reader.h"

namespace soundtouch {
class SoundTouch;
}

namespace obrin {

// What the audio output plays: frames per second and channels per frame.
struct OutputFormat {
    int sampleRate = 0;
    int channels = 0;
    bool operator==(const OutputFormat&) const = default;
};

// The samples the audio device plays: the frames of a WAV file, stretched in
// time to the playback rate with the pitch kept, and scaled by the volume.
//
// Output frames are counted from the last restart(). The stream remembers which
// source frame every output frame stands for, so whoever knows how many output
// frames the listener has heard can ask which moment of the file that was,
// including the frames the time-stretcher still holds.
class PlaybackStream {
  public:
    // Throws WavError when the file is not a playable WAV.
    explicit PlaybackStream(const std::filesystem::path& path);
    ~PlaybackStream();
    PlaybackStream(const PlaybackStream&) = delete;
    PlaybackStream& operator=(const PlaybackStream&) = delete;

    const WavFormat& format() const { return reader_.format(); }
    std::uint64_t frameCount() const { return reader_.frameCount(); }

    // The format render() writes; the file's own until set. Setting it drops
    // everything buffered, like restart(0). More channels than the file has
    // repeat its channels (mono plays on every speaker); fewer take the first
    // ones, or the mean of all for one channel.
    void setOutput(OutputFormat output);
    const OutputFormat& output() const { return output_; }

    // Drops everything buffered and starts output frame 0 at `sourceFrame`.
    void restart(std::uint64_t sourceFrame);

    // Playback speed, 1.0 normal. Frames rendered from now on follow the new
    // speed; frames already rendered keep the one they were made with.
    void setRate(double rate);
    double rate() const { return rate_; }
    // Linear amplitude factor; a change is ramped over the next render() so it
    // does not click.
    void setGain(float gain) { gain_ = gain; }

    // Writes up to `frames` interleaved float frames of the output format to
    // `out` and returns how many; 0 means the file has been played out.
    // Throws WavError when the disk read fails.
    [[nodiscard]] std::size_t render(float* out, std::size_t frames);
    // Output frames rendered since the last restart().
    std::uint64_t renderedFrames() const { return rendered_; }

    // The source frame (fractional, within 0 ... frameCount()) that output
    // frame `outputFrame` of this run plays. Frames beyond what was rendered
    // continue along the last anchor. Away from normal speed this moves in
    // straight runs at normal speed, with a jump at each splice.
    [[nodiscard]] double sourceFrameAt(double outputFrame) const;
    // The same moment evened out: a straight line at the playback rate
    // through the middle of the runs sourceFrameAt() jumps between, for
    // whatever shows the position as it moves.
    [[nodiscard]] double evenSourceFrameAt(double outputFrame) const;

  private:
    // Output frame `output` plays source frame `source`, and the frames after
    // it follow one for one, up to the next anchor.
    struct Anchor {
        double output;
        double source;
    };

    // The output since a restart or change of rate: a straight line at `rate`
    // from `output`, `source`, which the runs of the stretcher lie about
    // `leadSum / leadCount` source frames ahead of.
    struct Segment {
        double output;
        double source;
        double rate;
        double leadSum = 0;
        double leadCount = 0;
    };

    void beginSegment(double sourceFrame);
    void addAnchor(Anchor anchor);
    // The file's frames at the playback rate, still at the file's sample rate
    // and channels; counted by stretched_, the unit of the anchors.
    std::size_t renderSource(float* out, std::size_t frames);
    std::size_t renderStretched(float* out, std::size_t frames);
    void readMarks(double outputFrame, const float* marks);
    // Keeps the loudness of `count` interleaved source frames from `first`.
    void noteLoudness(std::uint64_t first, const float* frames, std::size_t count);
    // The loudest sample within a step or so of `sourceFrame`, 0 where none
    // was kept.
    [[nodiscard]] double loudnessAt(double sourceFrame) const;
    [[nodiscard]] double sourceFrameOfStretched(double stretchedFrame) const;
    [[nodiscard]] double evenSourceFrameOfStretched(double stretchedFrame) const;
    [[nodiscard]] double stretchedFrameOf(double outputFrame) const;

    WavReader reader_;
    std::unique_ptr<soundtouch::SoundTouch> stretcher_;
    std::deque<Anchor> anchors_;
    std::deque<Segment> segments_;
    // The last run of the source heard alone: where a cross-fade comes from.
    Anchor run_{};
    // The loudest sample of each kEnvelopeStep source frames the stretcher
    // was given, a ring; steps firstStep_ ... lastStep_ of this segment.
    std::vector<float> envelope_;
    std::uint64_t firstStep_ = 0;
    std::uint64_t lastStep_ = 0;
    std::vector<float> input_;
    // The stretcher's input and output: the sound and the marks that name
    // each frame's source frame.
    std::vector<float> markedInput_;
    std::vector<float> marked_;
    OutputFormat output_;
    // Only while the output's rate differs from the file's.
    std::unique_ptr<Resampler> resampler_;
    std::vector<float> unmapped_;
    double rate_ = 1.0;
    float gain_ = 1.0f;
    float appliedGain_ = 1.0f;
    std::uint64_t stretched_ = 0;
    std::uint64_t rendered_ = 0;
    bool flushed_ = false;
};

}  // namespace obrin
