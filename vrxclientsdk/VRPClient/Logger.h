// One-line, time-stamped, level-tagged log records to a file or to stderr.
//
// A new Logger writes nothing until Open() selects a file or stderr. Any
// thread may log; the lines of one Logger never interleave. Different Logger
// objects on the same file have separate streams and are not coordinated.
#pragma once

#include <atomic>
#include <boost/thread/recursive_mutex.hpp>
#include <cstdarg>
#include <cstdio>
#include <string>

// Log levels. A line is written when its level is at or below the threshold.
enum LogLevel : int {
    LOG_FATAL = 0,
    LOG_ALERT = 100,
    LOG_CRIT = 200,
    LOG_ERROR = 300,
    LOG_WARN = 400,
    LOG_NOTICE = 500,
    LOG_INFO = 600,
    LOG_DEBUG = 700,
};

class Logger {
public:
    Logger() = default;
    virtual ~Logger();
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    // Closes an open file, sets the threshold, then opens `path` ("a+" when
    // `append`, else truncated) or, with a null path, selects stderr. Returns
    // 0, or -10 when the file cannot be opened (the logger is then unopened).
    // Safe while other threads log: the old file is swapped out under the lock.
    int Open(const char* path, int threshold, bool append);

    // Logs `format` with its arguments, followed by " [file:line]", where
    // file is the part of `sourcePath` after its last path separator. The
    // message is formatted first; the suffix is literal text.
    void Write(const char* sourcePath, int sourceLine, int level, const char* format, ...)
        __attribute__((format(printf, 5, 6)));

    // Logs without the source suffix.
    void Print(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

    // Writes one complete line to `stream` and flushes it, under the lock.
    virtual void Log(FILE* stream, int level, const char* format, va_list args);

    // True when a line at `level` would be written.
    bool IsEnabled(int level) const {
        return m_writer.load(std::memory_order_acquire) != Writer::kNone &&
               level <= m_threshold.load(std::memory_order_relaxed);
    }

    // The six-character word for a level ("UNKNOWN" for other numbers).
    static const char* LevelWord(int level);

    // The part of a source path after its last '\\' or '/'.
    static const char* BaseName(const char* sourcePath);

private:
    enum class Writer { kNone, kStderr, kFile };
    void Emit(int level, const char* suffixFile, int suffixLine, const char* format, va_list args);

    boost::recursive_mutex m_lock;
    FILE* m_file = nullptr;  // guarded by m_lock
    std::atomic<int> m_threshold{0};
    std::atomic<Writer> m_writer{Writer::kNone};
};

// Logs through `logger` (a Logger* or reference-like pointer) with this file and line.
#define QK_LOG(logger, level, ...)                                      \
    do {                                                                \
        Logger* qk_log_l_ = (logger);                                   \
        if (qk_log_l_ && qk_log_l_->IsEnabled(level))                   \
            qk_log_l_->Write(__FILE__, __LINE__, (level), __VA_ARGS__); \
    } while (0)
