#pragma once

#include <cstdint>
#include <optional>

#include "base/dialogs.h"
#include "base/playback_control.h"
#include "document/document.h"
#include "document/onset_snap.h"

namespace obrin {

// The time a mark stamps now, in milliseconds: the sample being heard plus
// the MarkOffset, moved to a nearby onset when snapping is on (never before
// `notBeforeMs`), at most INT32_MAX. Every way of marking (a line's Mark, a
// karaoke tap) stamps through here, so they agree at every rate. When the
// player or the offset cannot tell, the reason is shown and nothing is
// returned.
[[nodiscard]] std::optional<std::int32_t> MarkTimeNow(const Document& document,
                                                      PlaybackControl& playback, Dialogs& dialogs,
                                                      const OnsetSnapping& snapping,
                                                      std::optional<std::int32_t> notBeforeMs);

}  // namespace obrin
