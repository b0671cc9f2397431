#include "playback/wav_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>

namespace obrin {

static_assert(std::endian::native == std::endian::little,
              "float samples are copied as stored, which needs a little-endian host");

namespace {

constexpr std::uint16_t kFormatPcm = 0x0001;
constexpr std::uint16_t kFormatFloat = 0x0003;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr std::size_t kPlainFormatSize = 16;
constexpr std::size_t kExtensibleFormatSize = 40;

// The tail shared by every KSDATAFORMAT_SUBTYPE GUID; its first two bytes are
// the plain format tag.
constexpr std::array<unsigned char, 14> kSubFormatTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                          0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint16_t U16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t U32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::string Hex16(std::uint16_t v) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", v);
    return text;
}

float DecodeU8(const unsigned char* p) {
    return (static_cast<int>(p[0]) - 128) / 128.0f;
}
float DecodeS16(const unsigned char* p) {
    return static_cast<std::int16_t>(U16(p)) / 32768.0f;
}
float DecodeS24(const unsigned char* p) {
    const std::uint32_t raw = static_cast<std::uint32_t>(p[0]) << 8 |
                              static_cast<std::uint32_t>(p[1]) << 16 |
                              static_cast<std::uint32_t>(p[2]) << 24;
    return static_cast<float>(static_cast<std::int32_t>(raw) / 2147483648.0);
}
float DecodeS32(const unsigned char* p) {
    return static_cast<float>(static_cast<std::int32_t>(U32(p)) / 2147483648.0);
}
float Finite(double v) {
    return std::isfinite(v) ? static_cast<float>(v) : 0.0f;
}
float DecodeF32(const unsigned char* p) {
    float v;
    std::memcpy(&v, p, sizeof v);
    return Finite(v);
}
float DecodeF64(const unsigned char* p) {
    double v;
    std::memcpy(&v, p, sizeof v);
    return Finite(v);
}

// Decodes `frames` stored frames to interleaved floats. One instance per
// sample format, picked once per read, so the sample decoder is inlined into
// the loop: an hour of stereo is 300 million samples.
using FrameDecoder = void (*)(const unsigned char* in, std::size_t frames, std::size_t channels,
                              std::size_t width, std::size_t align, float* out);

template <float (*Decode)(const unsigned char*)>
void DecodeFrames(const unsigned char* in, std::size_t frames, std::size_t channels,
                  std::size_t width, std::size_t align, float* out) {
    for (std::size_t f = 0; f < frames; ++f, in += align) {
        for (std::size_t c = 0; c < channels; ++c) *out++ = Decode(in + c * width);
    }
}

FrameDecoder DecoderFor(const WavFormat& f) {
    if (f.encoding == SampleEncoding::Float) {
        return f.bitsPerSample == 32 ? DecodeFrames<DecodeF32> : DecodeFrames<DecodeF64>;
    }
    switch (f.bitsPerSample) {
        case 8:
            return DecodeFrames<DecodeU8>;
        case 16:
            return DecodeFrames<DecodeS16>;
        case 24:
            return DecodeFrames<DecodeS24>;
        default:
            return DecodeFrames<DecodeS32>;
    }
}

}  // namespace

WavReader::WavReader(const std::filesystem::path& path) : path_(path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) throw WavError(path.string() + ": is a folder");
    file_.open(path, std::ios::binary);
    if (!file_) throw WavError(path.string() + ": cannot open (" + std::strerror(errno) + ")");
    parseHeader();
}

double WavReader::durationSeconds() const {
    return static_cast<double>(frameCount_) / format_.sampleRate;
}

void WavReader::parseHeader() {
    const auto fail = [this](const std::string& why) {
        throw WavError(path_.string() + ": " + why);
    };

    file_.seekg(0, std::ios::end);
    const auto fileSize = static_cast<std::uint64_t>(file_.tellg());
    file_.seekg(0);

    unsigned char riff[12];
    if (!file_.read(reinterpret_cast<char*>(riff), sizeof riff) ||
        std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) {
        fail("not a RIFF WAVE file");
    }

    std::optional<std::uint16_t> tag;
    std::uint64_t dataSize = 0;
    bool haveData = false;
    std::uint64_t at = sizeof riff;
    // The chunk walk ends at the end of the file; the RIFF size is not trusted,
    // since writers that stream often leave it wrong.
    while ((!tag || !haveData) && at + 8 <= fileSize) {
        unsigned char head[8];
        file_.seekg(static_cast<std::streamoff>(at));
        if (!file_.read(reinterpret_cast<char*>(head), sizeof head)) break;
        const std::uint32_t size = U32(head + 4);
        const std::uint64_t body = at + 8;
        if (std::memcmp(head, "fmt ", 4) == 0 && !tag) {
            if (size < kPlainFormatSize) fail("the \"fmt \" chunk is too short");
            unsigned char fmt[kExtensibleFormatSize] = {};
            const std::size_t want = std::min<std::size_t>(size, sizeof fmt);
            if (!file_.read(reinterpret_cast<char*>(fmt), static_cast<std::streamsize>(want))) {
                fail("the \"fmt \" chunk is cut off");
            }
            tag = U16(fmt);
            format_.channels = U16(fmt + 2);
            format_.sampleRate = static_cast<int>(std::min<std::uint32_t>(
                U32(fmt + 4), static_cast<std::uint32_t>(std::numeric_limits<int>::max())));
            format_.blockAlign = U16(fmt + 12);
            format_.bitsPerSample = U16(fmt + 14);
            if (*tag == kFormatExtensible) {
                if (want < kExtensibleFormatSize)
                    fail("the extensible \"fmt \" chunk is too short");
                if (std::memcmp(fmt + 26, kSubFormatTail.data(), kSubFormatTail.size()) != 0) {
                    fail("unsupported extensible sub-format");
                }
                tag = U16(fmt + 24);
            }
        } else if (std::memcmp(head, "data", 4) == 0 && !haveData) {
            haveData = true;
            dataOffset_ = body;
            dataSize = std::min<std::uint64_t>(size, fileSize - body);
        }
        at = body + size + (size & 1u);
    }

    if (!tag) fail("no \"fmt \" chunk");
    if (!haveData) fail("no \"data\" chunk");
    if (*tag != kFormatPcm && *tag != kFormatFloat) {
        fail("format " + Hex16(*tag) + " is not PCM or IEEE float");
    }
    if (format_.channels == 0) fail("no channels");
    if (format_.sampleRate == 0) fail("a sample rate of 0");

    format_.encoding = *tag == kFormatFloat ? SampleEncoding::Float : SampleEncoding::Integer;
    // Integer samples of odd widths (12 or 20 bits) sit left-justified in
    // whole bytes, so reading the container gives the right value.
    const int stored = (format_.bitsPerSample + 7) / 8 * 8;
    const bool supported = format_.encoding == SampleEncoding::Float
                               ? format_.bitsPerSample == 32 || format_.bitsPerSample == 64
                               : stored >= 8 && stored <= 32;
    if (!supported) {
        fail(std::to_string(format_.bitsPerSample) + "-bit " +
             (format_.encoding == SampleEncoding::Float ? "float" : "integer") +
             " samples are not supported");
    }
    format_.bitsPerSample = stored;
    if (format_.blockAlign < format_.channels * stored / 8) {
        fail("the block alignment " + std::to_string(format_.blockAlign) +
             " is smaller than one frame");
    }
    frameCount_ = dataSize / static_cast<std::uint64_t>(format_.blockAlign);
    file_.clear();
}

void WavReader::seek(std::uint64_t frame) {
    next_ = std::min(frame, frameCount_);
}

std::size_t WavReader::read(float* out, std::size_t frames) {
    const auto count =
        static_cast<std::size_t>(std::min<std::uint64_t>(frames, frameCount_ - next_));
    if (count == 0) return 0;
    const auto align = static_cast<std::size_t>(format_.blockAlign);
    bytes_.resize(count * align);
    file_.seekg(static_cast<std::streamoff>(dataOffset_ + next_ * align));
    if (!file_.read(reinterpret_cast<char*>(bytes_.data()),
                    static_cast<std::streamsize>(bytes_.size()))) {
        file_.clear();
        throw WavError(path_.string() + ": read failed");
    }
    DecoderFor(format_)(bytes_.data(), count, static_cast<std::size_t>(format_.channels),
                        static_cast<std::size_t>(format_.bitsPerSample / 8), align, out);
    next_ += count;
    return count;
}

}  // namespace obrin
