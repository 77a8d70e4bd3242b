// The window layer's log lines, area "window" of the platform log
// (platform/log.h): standard error until the program installs its sink.
#pragma once

namespace platform {

// A warning of the window layer (misuse from a wrong thread, a display that
// refuses a window, no layered windows).
void WindowLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace platform
