#include "vrxclientsdk/VRXClient/senderserver/Deadline.h"

#include <chrono>

#include "platform/thread.h"

Deadline::Deadline(int ms, std::function<void()> onExpiry) {
    const auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    m_pThread = platform::StartThread("deadline", [this, due, onExpiry = std::move(onExpiry)] {
        {
            std::unique_lock<std::mutex> guard(m_Lock);
            if (m_Wake.wait_until(guard, due, [this] { return m_Disarmed; })) {
                return;
            }
            m_Expired = true;
        }
        onExpiry();
    });
}

Deadline::~Deadline() {
    {
        std::lock_guard<std::mutex> guard(m_Lock);
        m_Disarmed = true;
    }
    m_Wake.notify_all();
    platform::JoinThread(m_pThread);
}

bool Deadline::Expired() {
    std::lock_guard<std::mutex> guard(m_Lock);
    return m_Expired;
}
