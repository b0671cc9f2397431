#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace obrin {

// A PCM WAV file that cannot be played: missing, unreadable, not RIFF WAVE,
// or in a sample format the player does not take. The message names the file
// and the cause.
class WavError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class SampleEncoding { Integer, Float };

struct WavFormat {
    int channels = 0;
    int sampleRate = 0;
    // Bits of one stored sample: 8, 16, 24, 32 (integer) or 32, 64 (float).
    int bitsPerSample = 0;
    SampleEncoding encoding = SampleEncoding::Integer;
    // Bytes of one frame (one sample of every channel).
    int blockAlign = 0;
};

// Streams the frames of a PCM WAV file from disk: only the header is read when
// the file is opened, and read() fetches what it is asked for, so an hour-long
// file costs no more memory than a short one.
//
// The header rules are lenient where writers are known to be sloppy: chunks
// other than "fmt " and "data" are skipped (with their pad byte when the size
// is odd), and a "data" chunk that claims more bytes than the file holds is cut
// to what is there, dropping a partial last frame.
class WavReader {
  public:
    // Throws WavError when the file cannot be opened or its header is not a
    // playable PCM WAV.
    explicit WavReader(const std::filesystem::path& path);

    const WavFormat& format() const { return format_; }
    std::uint64_t frameCount() const { return frameCount_; }
    double durationSeconds() const;

    // The next frame read() returns.
    std::uint64_t tell() const { return next_; }
    // Positions at `frame`; past the end means at the end.
    void seek(std::uint64_t frame);

    // Reads up to `frames` frames into `out` as interleaved floats (full scale
    // is ±1; unsigned 8-bit is centred). Returns the number read, less than
    // asked only at the end of the data. Non-finite float samples come back as
    // silence. Throws WavError when the disk read fails.
    [[nodiscard]] std::size_t read(float* out, std::size_t frames);

  private:
    void parseHeader();

    std::filesystem::path path_;
    std::ifstream file_;
    WavFormat format_;
    std::uint64_t dataOffset_ = 0;
    std::uint64_t frameCount_ = 0;
    std::uint64_t next_ = 0;
    std::vector<unsigned char> bytes_;
};

}  // namespace obrin
