#include "platform/window/window_log.h"

#include <cstdarg>
#include <cstdio>

namespace platform {

void WindowLog(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    std::fprintf(stderr, "window: %s\n", text);
}

}  // namespace platform
