// The window layer's log lines: "window: <text>" on standard error.
//
// The layer sits below the program's Logger, so it writes its few
// warnings (misuse from a wrong thread, a display that refuses a window,
// no layered windows) where a developer sees them.
#pragma once

namespace platform {

void WindowLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace platform
