#include "obrin_riff/wave_format.h"

#include <algorithm>
#include <array>

#include "little_endian.h"

namespace obrin::riff {

WaveFormat WaveFormat::Parse(std::span<const std::byte> body) {
    std::array<std::byte, kRecordSize> record{};
    std::copy_n(body.begin(), std::min(body.size(), record.size()), record.begin());
    WaveFormat format;
    format.formatTag = ReadLe16(&record[0]);
    format.channels = ReadLe16(&record[2]);
    format.samplesPerSec = ReadLe32(&record[4]);
    format.avgBytesPerSec = ReadLe32(&record[8]);
    format.blockAlign = ReadLe16(&record[12]);
    format.bitsPerSample = ReadLe16(&record[14]);
    const std::size_t announced = ReadLe16(&record[16]);
    if (body.size() > kRecordSize) {
        const auto rest = body.subspan(kRecordSize);
        format.extra.assign(rest.begin(), rest.begin() + std::min(announced, rest.size()));
    }
    return format;
}

std::vector<std::byte> WaveFormat::serialize() const {
    std::vector<std::byte> bytes;
    bytes.reserve(kRecordSize + extra.size());
    bytes.resize(kRecordSize);
    WriteLe16(&bytes[0], formatTag);
    WriteLe16(&bytes[2], channels);
    WriteLe32(&bytes[4], samplesPerSec);
    WriteLe32(&bytes[8], avgBytesPerSec);
    WriteLe16(&bytes[12], blockAlign);
    WriteLe16(&bytes[14], bitsPerSample);
    WriteLe16(&bytes[16], static_cast<std::uint16_t>(extra.size()));
    bytes.insert(bytes.end(), extra.begin(), extra.end());
    return bytes;
}

std::uint16_t WaveFormat::codingTag() const {
    // WAVEFORMATEXTENSIBLE: valid bits (2), channel mask (4), then the GUID.
    constexpr std::size_t kSubFormatOffset = 6;
    if (formatTag == kExtensible && extra.size() >= kSubFormatOffset + 16) {
        return ReadLe16(&extra[kSubFormatOffset]);
    }
    return formatTag;
}

WaveFormat WaveFormat::Pcm(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    WaveFormat format;
    format.formatTag = kPcm;
    format.channels = channels;
    format.samplesPerSec = rate;
    format.bitsPerSample = bits;
    format.blockAlign = static_cast<std::uint16_t>(channels * ((bits + 7) / 8));
    format.avgBytesPerSec = rate * format.blockAlign;
    return format;
}

}  // namespace obrin::riff
