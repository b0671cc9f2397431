#include "document/mark_time.h"

#include <algorithm>
#include <limits>

#include "base/conversion_error.h"

namespace obrin {

std::optional<std::int32_t> MarkTimeNow(const Document& document, PlaybackControl& playback,
                                        Dialogs& dialogs, const OnsetSnapping& snapping,
                                        std::optional<std::int32_t> notBeforeMs) {
    std::int64_t t = 0;
    try {
        t = std::int64_t{playback.heardPositionMs()} + document.markOffset().milliseconds();
    } catch (const ConversionError& error) {
        dialogs.showError(error.what());
        return std::nullopt;
    } catch (const PlayerError& error) {
        dialogs.showError(error.what());
        return std::nullopt;
    }
    if (snapping.enabled()) t = SnapToOnset(t, snapping.onsetsMs(), notBeforeMs);
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(t, 0, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace obrin
