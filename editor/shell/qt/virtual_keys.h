#pragma once

#include <cstdint>

class QKeyEvent;

namespace obrin {

// The virtual-key code "obrin.ini" stores for a key press ("Key-Mark" and
// friends): letters and digits as their upper-case ASCII code, Shift 16,
// Ctrl 17, Alt 18, space 32, F1 112 and so on. Keys shifted to a symbol give
// the code of the key itself. 0 when the key has no such code.
[[nodiscard]] std::uint16_t VirtualKeyOf(const QKeyEvent& event);

}  // namespace obrin
