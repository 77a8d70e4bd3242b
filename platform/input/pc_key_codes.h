// The keys of a KeyInput as Linux input-event key codes (KEY_ESC = 1 ...),
// the numbering of the X server's evdev keycodes (X keycode = code + 8).
#pragma once

#include <cstdint>

namespace platform {

// The key code of a PC set-1 scan code (`extended`: with the 0xE0 prefix);
// 0 when the scan code names no key.
uint16_t KeyCodeOfScanCode(uint16_t scan, bool extended);

// The key code of a VirtualKey; 0 for a virtual key without one.
uint16_t KeyCodeOfVirtualKey(uint16_t virtualKey);

}  // namespace platform
