#include "vrxclientsdk/VRPClient/Logger.h"

#include <cstring>
#include <vector>

#include "platform/clock.h"

Logger::~Logger() {
    boost::recursive_mutex::scoped_lock guard(m_lock);
    m_writer.store(Writer::kNone, std::memory_order_release);
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

int Logger::Open(const char* path, int threshold, bool append) {
    boost::recursive_mutex::scoped_lock guard(m_lock);
    m_writer.store(Writer::kNone, std::memory_order_release);
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_threshold.store(threshold, std::memory_order_relaxed);
    if (!path) {
        m_writer.store(Writer::kStderr, std::memory_order_release);
        return 0;
    }
    FILE* f = std::fopen(path, append ? "a+" : "w");
    if (!f) {
        return -10;
    }
    m_file = f;
    m_writer.store(Writer::kFile, std::memory_order_release);
    return 0;
}

const char* Logger::LevelWord(int level) {
    switch (level) {
        case LOG_FATAL:
            return "FATAL ";
        case LOG_ALERT:
            return "ALERT ";
        case LOG_CRIT:
            return "CRIT  ";
        case LOG_ERROR:
            return "ERROR ";
        case LOG_WARN:
            return "WARN  ";
        case LOG_NOTICE:
            return "NOTICE";
        case LOG_INFO:
            return "INFO  ";
        case LOG_DEBUG:
            return "DEBUG ";
        default:
            return "UNKNOWN";
    }
}

const char* Logger::BaseName(const char* sourcePath) {
    if (!sourcePath) {
        return "";
    }
    const char* base = sourcePath;
    for (const char* p = sourcePath; *p; ++p) {
        if (*p == '\\' || *p == '/') {
            base = p + 1;
        }
    }
    return base;
}

void Logger::Write(const char* sourcePath, int sourceLine, int level, const char* format, ...) {
    if (!IsEnabled(level)) {
        return;
    }
    va_list args;
    va_start(args, format);
    Emit(level, BaseName(sourcePath), sourceLine, format, args);
    va_end(args);
}

void Logger::Print(int level, const char* format, ...) {
    if (!IsEnabled(level)) {
        return;
    }
    va_list args;
    va_start(args, format);
    Emit(level, nullptr, 0, format, args);
    va_end(args);
}

namespace {

// Hands an already formatted text to a va_list-taking Log().
void LogText(Logger& logger, FILE* stream, int level, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    logger.Log(stream, level, fmt, args);
    va_end(args);
}

}  // namespace

void Logger::Emit(int level, const char* suffixFile, int suffixLine, const char* format,
                  va_list args) {
    // Format the caller's message before anything else, so that a '%' in the
    // source path can never act as a directive.
    char small[512];
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0) {
        return;
    }
    std::string message;
    if (static_cast<size_t>(n) < sizeof small) {
        message.assign(small, static_cast<size_t>(n));
    } else {
        message.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(message.data(), message.size(), format, args);
        message.resize(static_cast<size_t>(n));
    }
    if (suffixFile) {
        message += " [";
        message += suffixFile;
        message += ':';
        message += std::to_string(suffixLine);
        message += ']';
    }
    boost::recursive_mutex::scoped_lock guard(m_lock);
    switch (m_writer.load(std::memory_order_acquire)) {
        case Writer::kNone:
            return;
        case Writer::kStderr:
            LogText(*this, stderr, level, "%s", message.c_str());
            return;
        case Writer::kFile:
            if (m_file) {
                LogText(*this, m_file, level, "%s", message.c_str());
            }
            return;
    }
}

void Logger::Log(FILE* stream, int level, const char* format, va_list args) {
    boost::recursive_mutex::scoped_lock guard(m_lock);
    platform::LocalTime t = platform::LocalNow();
    std::fprintf(stream, "%02hd:%02hd:%02hd.%03hd %s| ", static_cast<short>(t.hour),
                 static_cast<short>(t.minute), static_cast<short>(t.second),
                 static_cast<short>(t.millisecond), LevelWord(level));
    std::vfprintf(stream, format, args);
    std::fputc('\n', stream);
    std::fflush(stream);
}
