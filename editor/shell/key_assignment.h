#pragma once

#include <cstdint>

#include "shell/app_settings.h"

namespace obrin {

// The three commands a key of the user's choice can trigger.
enum class AssignedCommand { None, Mark, CheckPrevious, PlayPause };

// The command assigned to a virtual-key code, comparing Mark, then the check
// of the previous line, then play/pause, so that of two actions given the
// same key the earlier one wins. Code 0 (no key) never matches, although an
// unassigned action holds 0.
[[nodiscard]] AssignedCommand MatchAssignedKey(const AppSettings& settings,
                                               std::uint16_t virtualKey);

}  // namespace obrin
