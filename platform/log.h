// The platform layer's log: where its few warnings go.
//
// The layer sits below the program's Logger, so it cannot write there itself;
// the program installs a sink at start-up that forwards each line to its
// logger. Until it does, and after it removes the sink, lines go to standard
// error as "<area>: <text>". The window, drawing and X11 code log through
// here: misuse from a wrong thread, a display that refuses a window, a
// picture that cannot be read.
//
// THREADING: any thread may log and install a sink. The sink is called on
// the thread that logs, never under a lock of this layer, and must not log
// through here itself.
#pragma once

#include <cstdarg>
#include <functional>
#include <string_view>

namespace platform {

enum class LogLevel { kError, kWarning, kInfo };

// Receives one line: its level, the part of the layer ("window", "image"),
// and the text without a line end.
using LogSink = std::function<void(LogLevel level, std::string_view area, std::string_view text)>;

// Installs `sink` for every later line; an empty sink restores standard
// error. Returns the sink that was installed before (empty: standard error).
LogSink SetLogSink(LogSink sink);

// Formats one line (printf rules; cut at 1 KiB) and hands it to the sink.
void Log(LogLevel level, const char* area, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
void LogV(LogLevel level, const char* area, const char* format, va_list args)
    __attribute__((format(printf, 3, 0)));

}  // namespace platform
