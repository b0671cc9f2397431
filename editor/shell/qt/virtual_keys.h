#pragma once

#include <QString>
#include <cstdint>

class QKeyEvent;

namespace obrin {

// The virtual-key code "obrin.ini" stores for a key press ("Key-Mark" and
// friends): letters and digits as their upper-case ASCII code, Shift 16,
// Ctrl 17, Alt 18, space 32, F1 112 and so on. Keys shifted to a symbol give
// the code of the key itself. 0 when the key has no such code.
[[nodiscard]] std::uint16_t VirtualKeyOf(const QKeyEvent& event);

// The name printed on the key of a virtual-key code, as the keyboard dialog
// shows it beside the code: "Space", "B", "F5", "Num 3". Empty for 0 and for
// codes no key of a common keyboard gives.
[[nodiscard]] QString VirtualKeyName(std::uint16_t code);

}  // namespace obrin
