#pragma once

#include <cstddef>
#include <cstdint>

namespace obrin::riff {

inline std::uint16_t ReadLe16(const std::byte* p) {
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(p[0]) |
                                      std::to_integer<unsigned>(p[1]) << 8);
}

inline std::uint32_t ReadLe32(const std::byte* p) {
    return static_cast<std::uint32_t>(ReadLe16(p)) | static_cast<std::uint32_t>(ReadLe16(p + 2))
                                                         << 16;
}

inline void WriteLe16(std::byte* p, std::uint16_t value) {
    p[0] = static_cast<std::byte>(value & 0xFF);
    p[1] = static_cast<std::byte>(value >> 8);
}

inline void WriteLe32(std::byte* p, std::uint32_t value) {
    WriteLe16(p, static_cast<std::uint16_t>(value & 0xFFFF));
    WriteLe16(p + 2, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace obrin::riff
