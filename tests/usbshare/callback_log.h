// Records what the library reports through its callback. The callback is a
// plain function, so the record is one per test program; each test clears it.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace porvane_test {

using Call = std::pair<int, std::string>;  // code, text ("-" for none)

class CallbackLog {
public:
    static CallbackLog& Instance() {
        static CallbackLog log;
        return log;
    }

    // The function to give to Init.
    static int Record(char* text, int code) {
        CallbackLog& log = Instance();
        {
            std::lock_guard<std::mutex> hold(log.m_lock);
            log.m_calls.emplace_back(code, text ? text : "-");
        }
        log.m_cond.notify_all();
        return 0;
    }

    void Clear() {
        std::lock_guard<std::mutex> hold(m_lock);
        m_calls.clear();
    }

    std::vector<Call> Calls() {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_calls;
    }

    // Waits up to `time` until `n` calls (or this call) have been recorded.
    bool WaitForCount(size_t n, std::chrono::milliseconds time = std::chrono::seconds(10)) {
        std::unique_lock<std::mutex> hold(m_lock);
        return m_cond.wait_for(hold, time, [&] { return m_calls.size() >= n; });
    }
    bool WaitFor(const Call& call) {
        std::unique_lock<std::mutex> hold(m_lock);
        return m_cond.wait_for(hold, std::chrono::seconds(10), [&] {
            return std::find(m_calls.begin(), m_calls.end(), call) != m_calls.end();
        });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_cond;
    std::vector<Call> m_calls;
};

}  // namespace porvane_test
