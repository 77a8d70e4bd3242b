#include "vrxclientsdk/VRXClient/senderserver/LoginAttemptLimiter.h"

namespace {

constexpr auto kWindow = std::chrono::milliseconds(LoginAttemptLimiter::kWindowMs);

}  // namespace

void LoginAttemptLimiter::NewConnection() {
    std::lock_guard<std::mutex> guard(m_Lock);
    m_ConnectionWrong = 0;
}

void LoginAttemptLimiter::Reset() {
    std::lock_guard<std::mutex> guard(m_Lock);
    m_ConnectionWrong = 0;
    m_Failures.clear();
    m_RefusedUntil.clear();
}

void LoginAttemptLimiter::Expire(Clock::time_point now) {
    for (auto it = m_Failures.begin(); it != m_Failures.end();) {
        std::deque<Clock::time_point>& times = it->second;
        while (!times.empty() && now - times.front() >= kWindow) {
            times.pop_front();
        }
        it = times.empty() ? m_Failures.erase(it) : std::next(it);
    }
    for (auto it = m_RefusedUntil.begin(); it != m_RefusedUntil.end();) {
        it = now >= it->second ? m_RefusedUntil.erase(it) : std::next(it);
    }
}

LoginAttemptLimiter::Verdict LoginAttemptLimiter::Wrong(uint32_t address, Clock::time_point now) {
    std::lock_guard<std::mutex> guard(m_Lock);
    Expire(now);
    Verdict verdict;
    verdict.closeConnection = ++m_ConnectionWrong >= kConnectionLimit;
    std::deque<Clock::time_point>& times = m_Failures[address];
    times.push_back(now);
    if (static_cast<int>(times.size()) >= kAddressLimit) {
        m_RefusedUntil[address] = now + kWindow;
        m_Failures.erase(address);
        verdict.refuseAddress = true;
        verdict.closeConnection = true;
    }
    return verdict;
}

bool LoginAttemptLimiter::Refused(uint32_t address, Clock::time_point now) {
    std::lock_guard<std::mutex> guard(m_Lock);
    Expire(now);
    return m_RefusedUntil.count(address) != 0;
}
