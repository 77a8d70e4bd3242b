#include "usbshare/ZampLog.h"

#include <algorithm>

#include "platform/clock.h"

namespace porvane {

ZampLog& ZampLog::Instance() {
    // Never destroyed: threads of the library may log during process exit.
    static ZampLog* log = new ZampLog;
    return *log;
}

ZampLog::~ZampLog() {
    if (m_file) {
        std::fclose(m_file);
    }
}

void ZampLog::Enable(const std::string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_file && path != m_path) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_path = path;
    m_enabled = true;
}

void ZampLog::Disable() {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_enabled = false;
}

bool ZampLog::IsEnabled() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_enabled;
}

std::string ZampLog::Path() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_path;
}

void ZampLog::WriteV(const char* format, va_list args) {
    const platform::LocalTime now = platform::LocalNow();
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_enabled) {
        return;
    }
    if (!m_file) {
        m_file = std::fopen(m_path.c_str(), "w");
        if (!m_file) {
            return;
        }
    }
    std::fprintf(m_file, "%02d:%02d:%02d:", now.hour, now.minute, now.second);
    std::fflush(m_file);
    char line[2048];
    const int n = std::vsnprintf(line, sizeof line, format, args);
    std::fputs(line, m_file);
    if (n <= 0 || line[std::min<size_t>(static_cast<size_t>(n), sizeof line - 1) - 1] != '\n') {
        std::fputc('\n', m_file);
    }
    std::fflush(m_file);
}

}  // namespace porvane

void WriteLog(const char* format, ...) {
    porvane::ZampLog& log = porvane::ZampLog::Instance();
    if (!log.IsEnabled()) {
        return;
    }
    va_list args;
    va_start(args, format);
    log.WriteV(format, args);
    va_end(args);
}
