#include "usbshare/AutoResetEvent.h"

#include <algorithm>
#include <chrono>

#include "platform/clock.h"

namespace porvane {

void AutoResetEvent::Set() {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_set = true;
    }
    m_cond.notify_one();
}

void AutoResetEvent::Reset() {
    std::lock_guard<std::mutex> hold(m_lock);
    m_set = false;
}

bool AutoResetEvent::WaitMs(uint32_t timeoutMs) {
    // A test clock only moves when the test says so: look at it often.
    const bool systemClock = &platform::CurrentClock() == &platform::SystemClock();
    const uint64_t deadline = platform::NowMs() + timeoutMs;
    std::unique_lock<std::mutex> hold(m_lock);
    for (;;) {
        if (m_set) {
            m_set = false;
            return true;
        }
        const uint64_t now = platform::NowMs();
        if (now >= deadline) {
            return false;
        }
        const uint64_t slice = systemClock ? deadline - now : std::min<uint64_t>(deadline - now, 2);
        m_cond.wait_for(hold, std::chrono::milliseconds(slice));
    }
}

}  // namespace porvane
