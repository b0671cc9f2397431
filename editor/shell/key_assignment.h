#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "base/command_id.h"
#include "base/command_ids.h"
#include "shell/app_settings.h"

namespace obrin {

// The commands a key can be assigned to, in the order a key is compared with
// theirs: Mark, the check of the previous line, play/pause.
inline constexpr std::array<CommandId, 3> kAssignableCommands{
    command::kMark, command::kCheckPrevious, command::kPlayPause};

// The command assigned to a virtual-key code, the first of
// kAssignableCommands whose key it is, so that of two actions given the same
// key the earlier one wins. A key Windows gives several codes matches any of
// them (IsSameKey). Code 0 (no key) never matches, although an unassigned
// action holds 0.
[[nodiscard]] std::optional<CommandId> MatchAssignedKey(const AppSettings& settings,
                                                        std::uint16_t virtualKey);

}  // namespace obrin
