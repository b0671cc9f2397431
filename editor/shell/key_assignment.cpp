#include "shell/key_assignment.h"

#include "shell/key_codes.h"

namespace obrin {

std::optional<CommandId> MatchAssignedKey(const AppSettings& settings, std::uint16_t virtualKey) {
    if (virtualKey == 0) return std::nullopt;
    const std::array<std::uint16_t, kAssignableCommands.size()> keys{
        settings.keyMark, settings.keyPrevCheck, settings.keyPlayPause};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (IsSameKey(virtualKey, keys[i])) return kAssignableCommands[i];
    }
    return std::nullopt;
}

}  // namespace obrin
