#pragma once

#include <array>
#include <cstdint>

#include "base/command_ids.h"

namespace obrin {

// The twelve nudge buttons of the control panel. Six stand in one row, in
// this order; the other six exist hidden and nothing shows them.
struct NudgeButton {
    CommandId command;
    const char* caption;  // UTF-8
    std::int32_t stepMs;
    bool shown;
};

inline constexpr std::array<NudgeButton, 12> kNudgeButtons{{
    {command::kMoveAhead100ms, "0.1秒進む", 100, true},
    {command::kMoveAhead1s, "1.0秒進む", 1000, true},
    {command::kMoveAhead10s, "10秒進む", 10000, true},
    {command::kMoveBack100ms, "0.1秒戻る", -100, true},
    {command::kMoveBack1s, "1.0秒戻る", -1000, true},
    {command::kMoveBack10s, "10秒戻る", -10000, true},
    {command::kMoveAhead500ms, "0.5秒進む", 500, false},
    {command::kMoveAhead3s, "3.0秒進む", 3000, false},
    {command::kMoveAhead5s, "5.0秒進む", 5000, false},
    {command::kMoveBack500ms, "0.5秒戻る", -500, false},
    {command::kMoveBack3s, "3.0秒戻る", -3000, false},
    {command::kMoveBack5s, "5.0秒戻る", -5000, false},
}};

}  // namespace obrin
