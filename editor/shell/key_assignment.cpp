#include "shell/key_assignment.h"

#include "base/command_ids.h"

namespace obrin {

std::optional<CommandId> MatchAssignedKey(const AppSettings& settings, std::uint16_t virtualKey) {
    if (virtualKey == 0) return std::nullopt;
    if (virtualKey == settings.keyMark) return command::kMark;
    if (virtualKey == settings.keyPrevCheck) return command::kCheckPrevious;
    if (virtualKey == settings.keyPlayPause) return command::kPlayPause;
    return std::nullopt;
}

}  // namespace obrin
