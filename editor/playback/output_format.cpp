#include "playback/output_format.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace obrin {

namespace {
bool Within(int value, int minimum, int maximum) {
    return value >= minimum && value <= maximum;
}

template <typename Integer>
void EncodeInteger(const float* in, std::size_t count, double scale, double offset,
                   unsigned char* out) {
    const double low = static_cast<double>(std::numeric_limits<Integer>::min());
    const double high = static_cast<double>(std::numeric_limits<Integer>::max());
    for (std::size_t i = 0; i < count; ++i) {
        const double v = std::clamp(std::round(in[i] * scale + offset), low, high);
        const auto sample = static_cast<Integer>(v);
        std::memcpy(out + i * sizeof(Integer), &sample, sizeof(Integer));
    }
}
}  // namespace

OutputFormat ChooseOutputFormat(OutputFormat source, const OutputCapabilities& output) {
    OutputFormat chosen = source;
    if (!Within(source.sampleRate, output.minimumSampleRate, output.maximumSampleRate)) {
        chosen.sampleRate = output.preferred.sampleRate;
    }
    if (!Within(source.channels, output.minimumChannels, output.maximumChannels)) {
        chosen.channels = output.preferred.channels;
    }
    return chosen;
}

int BytesPerSample(SampleType type) {
    switch (type) {
        case SampleType::Float:
        case SampleType::Int32:
            return 4;
        case SampleType::Int16:
            return 2;
        case SampleType::UInt8:
            return 1;
    }
    return 4;
}

void EncodeSamples(const float* in, std::size_t count, SampleType type, unsigned char* out) {
    switch (type) {
        case SampleType::Float:
            std::memcpy(out, in, count * sizeof(float));
            return;
        case SampleType::Int16:
            EncodeInteger<std::int16_t>(in, count, 32768.0, 0, out);
            return;
        case SampleType::Int32:
            EncodeInteger<std::int32_t>(in, count, 2147483648.0, 0, out);
            return;
        case SampleType::UInt8:
            EncodeInteger<std::uint8_t>(in, count, 128.0, 128.0, out);
            return;
    }
}

}  // namespace obrin
