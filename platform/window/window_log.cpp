#include "platform/window/window_log.h"

#include <cstdarg>

#include "platform/log.h"

namespace platform {

void WindowLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    LogV(LogLevel::kWarning, "window", format, args);
    va_end(args);
}

}  // namespace platform
