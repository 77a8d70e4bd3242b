// LogCapture: keeps every line of the platform log while it lives (lines
// from any thread), for the tests that check what a feature logged.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/log.h"

namespace featuretest {

class LogCapture {
public:
    LogCapture() {
        m_old = platform::SetLogSink(
            [this](platform::LogLevel level, std::string_view, std::string_view text) {
                std::lock_guard<std::mutex> guard(m_lock);
                m_lines.emplace_back(text);
                if (level == platform::LogLevel::kWarning) {
                    m_warnings.emplace_back(text);
                }
            });
    }
    ~LogCapture() { platform::SetLogSink(m_old); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    bool AnyHolds(const std::string& s) const {
        std::lock_guard<std::mutex> guard(m_lock);
        for (const std::string& line : m_lines) {
            if (line.find(s) != std::string::npos) {
                return true;
            }
        }
        return false;
    }
    std::vector<std::string> Warnings() const {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_warnings;
    }

private:
    platform::LogSink m_old;
    mutable std::mutex m_lock;
    std::vector<std::string> m_lines;
    std::vector<std::string> m_warnings;
};

}  // namespace featuretest
