#pragma once

#include <cstdint>
#include <optional>

#include "base/command_id.h"
#include "shell/app_settings.h"

namespace obrin {

// The command assigned to a virtual-key code: Mark, the check of the
// previous line or play/pause, compared in that order, so that of two
// actions given the same key the earlier one wins. Code 0 (no key) never
// matches, although an unassigned action holds 0.
[[nodiscard]] std::optional<CommandId> MatchAssignedKey(const AppSettings& settings,
                                                        std::uint16_t virtualKey);

}  // namespace obrin
