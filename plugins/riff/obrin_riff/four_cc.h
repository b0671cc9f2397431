#pragma once

#include <array>

namespace obrin::riff {

// A chunk identifier: four bytes as they stand in the file.
using FourCC = std::array<char, 4>;

constexpr FourCC MakeFourCC(const char (&text)[5]) {
    return {text[0], text[1], text[2], text[3]};
}

inline constexpr FourCC kRiff = MakeFourCC("RIFF");
inline constexpr FourCC kWave = MakeFourCC("WAVE");
inline constexpr FourCC kFmt = MakeFourCC("fmt ");
inline constexpr FourCC kData = MakeFourCC("data");

}  // namespace obrin::riff
