// Local user activity as the display server sees it: where the pointer is,
// whether a key is held down, and how long ago the last input of any device
// (mouse, keyboard, touch screen) arrived.
//
// The idle monitor polls it about every 100 ms. It reports no events of its
// own and keeps no history. Use from one thread at a time (the monitor's).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class UserActivity {
public:
    virtual ~UserActivity() = default;
    // The pointer's position on the screen; false when it cannot be read.
    virtual bool CursorPosition(int& x, int& y) = 0;
    // True while any key is held down.
    virtual bool AnyKeyDown() = 0;
    // Milliseconds since the last input event of any device; -1 when the
    // server cannot tell.
    virtual int64_t InputIdleMs() = 0;
};

// The X11 source on `display` (empty: the DISPLAY variable); nullptr when no
// X server can be reached.
std::unique_ptr<UserActivity> CreateX11UserActivity(const std::string& display = {});

}  // namespace platform
