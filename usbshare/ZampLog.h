// Porvane's log writer: one process-wide log file, ZAMP.log.
//
// Logging is off until the control object switches it on with a path
// (CClientDeviceControl::LoadIniFile). The file is opened, emptied, at the
// first line written after that, and stays open until the path changes or the
// process ends; a file that cannot be opened drops the line and is tried
// again at the next. Each line is "hh:mm:ss:" and the message. Any thread may
// write; lines never interleave.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace porvane {

class ZampLog {
public:
    // The one log of the process.
    static ZampLog& Instance();

    // Switches logging on, writing to `path` from the next line on.
    void Enable(const std::string& path);
    // Switches logging off and closes the file.
    void Disable();
    bool IsEnabled() const;
    std::string Path() const;

    void WriteV(const char* format, va_list args);

private:
    ZampLog() = default;
    ~ZampLog();

    mutable std::mutex m_lock;
    bool m_enabled = false;  // guarded by m_lock
    std::string m_path;      // guarded by m_lock
    FILE* m_file = nullptr;  // guarded by m_lock
};

}  // namespace porvane

// Writes one line to ZAMP.log when logging is on. A line feed is added when
// the message lacks one.
void WriteLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
