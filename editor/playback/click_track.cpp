#include "playback/click_track.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>

#include "obrin_files/file_replacement.h"

namespace obrin {

namespace {

constexpr double kClickHz = 2000;
constexpr double kClickSeconds = 0.008;
constexpr double kLoudness = 0.8;

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

}  // namespace

ClickTrack UnevenClicks(int count, double first, double shortestGap, double longestGap) {
    ClickTrack track;
    // A fixed linear congruential sequence: uneven, yet the same every time.
    std::uint32_t state = 20240917;
    double t = first;
    for (int i = 0; i < count; ++i) {
        track.times.push_back(t);
        state = state * 1664525u + 1013904223u;
        const double share = static_cast<double>(state >> 8) / static_cast<double>(1u << 24);
        t += shortestGap + share * (longestGap - shortestGap);
    }
    track.seconds = (track.times.empty() ? first : track.times.back()) + 1.5;
    return track;
}

ClickTrack CalibrationClicks() {
    return UnevenClicks(24, 1.5, 0.55, 1.35);
}

std::error_code WriteClickTrack(const std::filesystem::path& path, const ClickTrack& track,
                                int sampleRate) {
    const auto frames = static_cast<std::size_t>(std::ceil(track.seconds * sampleRate));
    std::vector<double> samples(frames, 0.0);
    const auto burst = static_cast<std::size_t>(kClickSeconds * sampleRate);
    for (const double t : track.times) {
        const auto start = static_cast<std::size_t>(std::llround(t * sampleRate));
        for (std::size_t k = 0; k < burst && start + k < frames; ++k) {
            const double age = static_cast<double>(k) / sampleRate;
            const double fade = 1.0 - static_cast<double>(k) / static_cast<double>(burst);
            samples[start + k] = kLoudness * fade * std::cos(2 * std::numbers::pi * kClickHz * age);
        }
    }
    const auto dataBytes = static_cast<std::uint32_t>(frames * 2);
    std::string wav = "RIFF";
    PutLittleEndian(wav, 36 + dataBytes, 4);
    wav += "WAVEfmt ";
    PutLittleEndian(wav, 16, 4);
    PutLittleEndian(wav, 1, 2);  // PCM
    PutLittleEndian(wav, 1, 2);  // mono
    PutLittleEndian(wav, static_cast<std::uint32_t>(sampleRate), 4);
    PutLittleEndian(wav, static_cast<std::uint32_t>(sampleRate * 2), 4);
    PutLittleEndian(wav, 2, 2);
    PutLittleEndian(wav, 16, 2);
    wav += "data";
    PutLittleEndian(wav, dataBytes, 4);
    wav.reserve(wav.size() + dataBytes);
    for (const double s : samples) {
        const auto v = static_cast<std::int16_t>(std::lround(s * 32767));
        PutLittleEndian(wav, static_cast<std::uint16_t>(v), 2);
    }
    return WriteFileAtomically(path, wav);
}

}  // namespace obrin
