#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace obrin {

// How far a new mark may move to meet an onset, either way.
inline constexpr std::int32_t kOnsetSnapWindowMs = 150;

// The time a new mark takes when marks are moved to nearby onsets: the onset
// nearest to `markedMs` (the play position with the mark offset applied)
// within kOnsetSnapWindowMs, leaving out onsets before `notBeforeMs` (the
// previous line's time), so that a mark never moves before the line above it.
// Of two onsets equally near, the earlier. Without such an onset the mark
// stays where it was pressed. `onsetsMs` is ascending.
[[nodiscard]] std::int64_t SnapToOnset(std::int64_t markedMs,
                                       std::span<const std::int32_t> onsetsMs,
                                       std::optional<std::int32_t> notBeforeMs);

// What Mark asks, at every mark, to move it to a nearby onset: whether the
// user wants that, and the onsets found in the song the player holds (empty
// while none are known).
struct OnsetSnapping {
    std::function<bool()> enabled = [] { return false; };
    std::function<std::span<const std::int32_t>()> onsetsMs = [] {
        return std::span<const std::int32_t>{};
    };
};

}  // namespace obrin
