#pragma once

#include <cstdint>

#include "shell/key_codes.h"

class QKeyEvent;

namespace obrin {

// The press as the window system reported it: the native scan code, on
// Linux the X11 keycode of the physical key, and what the layout made of
// it. Made-up events carry no scan code.
[[nodiscard]] KeyPress KeyPressOf(const QKeyEvent& event);

// The virtual-key code "obrin.ini" stores for a key press (IdentifyKey).
[[nodiscard]] std::uint16_t VirtualKeyOf(const QKeyEvent& event);

}  // namespace obrin
