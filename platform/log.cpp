#include "platform/log.h"

#include <cstdio>
#include <memory>
#include <mutex>

namespace platform {

namespace {

// Longer lines are cut: the layer's messages are one short sentence each.
constexpr size_t kMaxLine = 1024;

std::mutex g_sinkLock;
// Shared, so that a line being delivered keeps its sink alive while another
// thread installs a new one.
std::shared_ptr<LogSink> g_sink;

const char* LevelText(LogLevel level) {
    switch (level) {
        case LogLevel::kError:
            return "error: ";
        case LogLevel::kWarning:
            return "";
        case LogLevel::kInfo:
            return "info: ";
    }
    return "";
}

}  // namespace

LogSink SetLogSink(LogSink sink) {
    std::shared_ptr<LogSink> next = sink ? std::make_shared<LogSink>(std::move(sink)) : nullptr;
    std::lock_guard<std::mutex> guard(g_sinkLock);
    std::shared_ptr<LogSink> previous = std::move(g_sink);
    g_sink = std::move(next);
    return previous ? *previous : LogSink();
}

void LogV(LogLevel level, const char* area, const char* format, va_list args) {
    char text[kMaxLine];
    std::vsnprintf(text, sizeof text, format, args);
    std::shared_ptr<LogSink> sink;
    {
        std::lock_guard<std::mutex> guard(g_sinkLock);
        sink = g_sink;
    }
    if (sink) {
        (*sink)(level, area, text);
    } else {
        std::fprintf(stderr, "%s: %s%s\n", area, LevelText(level), text);
    }
}

void Log(LogLevel level, const char* area, const char* format, ...) {
    va_list args;
    va_start(args, format);
    LogV(level, area, format, args);
    va_end(args);
}

}  // namespace platform
