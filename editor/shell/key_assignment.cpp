#include "shell/key_assignment.h"

namespace obrin {

AssignedCommand MatchAssignedKey(const AppSettings& settings, std::uint16_t virtualKey) {
    if (virtualKey == 0) return AssignedCommand::None;
    if (virtualKey == settings.keyMark) return AssignedCommand::Mark;
    if (virtualKey == settings.keyPrevCheck) return AssignedCommand::CheckPrevious;
    if (virtualKey == settings.keyPlayPause) return AssignedCommand::PlayPause;
    return AssignedCommand::None;
}

}  // namespace obrin
