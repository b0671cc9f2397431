#include "document/onset_snap.h"

#include <algorithm>

namespace obrin {

std::int64_t SnapToOnset(std::int64_t markedMs, std::span<const std::int32_t> onsetsMs,
                         std::optional<std::int32_t> notBeforeMs) {
    std::int64_t from = markedMs - kOnsetSnapWindowMs;
    if (notBeforeMs) from = std::max<std::int64_t>(from, *notBeforeMs);
    auto it = std::lower_bound(onsetsMs.begin(), onsetsMs.end(), from,
                               [](std::int32_t onset, std::int64_t t) { return onset < t; });
    std::int64_t best = markedMs;
    std::int64_t bestDistance = kOnsetSnapWindowMs + 1;
    for (; it != onsetsMs.end() && *it <= markedMs + kOnsetSnapWindowMs; ++it) {
        const std::int64_t distance = *it > markedMs ? *it - markedMs : markedMs - *it;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = *it;
        }
    }
    return best;
}

}  // namespace obrin
