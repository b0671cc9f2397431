#pragma once

#include <array>
#include <cstdint>

namespace obrin {

// The twelve nudge buttons of the control panel. Six stand in one row, in
// this order; the other six exist hidden and nothing shows them.
struct NudgeButton {
    const char* name;
    const char* caption;  // UTF-8
    std::int32_t stepMs;
    bool shown;
};

inline constexpr std::array<NudgeButton, 12> kNudgeButtons{{
    {"btnMove_p0_1", "0.1秒進む", 100, true},
    {"btnMove_p1_0", "1.0秒進む", 1000, true},
    {"btnMove_p10", "10秒進む", 10000, true},
    {"btnMove_b0_1", "0.1秒戻る", -100, true},
    {"btnMove_b1_0", "1.0秒戻る", -1000, true},
    {"btnMove_b10", "10秒戻る", -10000, true},
    {"btnMove_p0_5", "0.5秒進む", 500, false},
    {"btnMove_p3_0", "3.0秒進む", 3000, false},
    {"btnMove_p5_0", "5.0秒進む", 5000, false},
    {"btnMove_b0_5", "0.5秒戻る", -500, false},
    {"btnMove_b3_0", "3.0秒戻る", -3000, false},
    {"btnMove_b5_0", "5.0秒戻る", -5000, false},
}};

}  // namespace obrin
