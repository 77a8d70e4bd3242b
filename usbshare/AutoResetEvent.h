// An auto-reset event: Set wakes one waiter (or the next one to wait), and
// a successful wait clears it again.
//
// Time-outs are measured on the platform clock. With the system clock a wait
// sleeps until it is set or the time is up; with a test clock installed it
// checks the clock every few milliseconds, so the test moves time forward.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace porvane {

class AutoResetEvent {
public:
    void Set();
    void Reset();
    // True when the event was set within `timeoutMs` (it is then cleared);
    // false on time-out.
    bool WaitMs(uint32_t timeoutMs);

private:
    std::mutex m_lock;
    std::condition_variable m_cond;
    bool m_set = false;  // guarded by m_lock
};

}  // namespace porvane
