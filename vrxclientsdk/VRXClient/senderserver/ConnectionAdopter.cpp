#include "vrxclientsdk/VRXClient/senderserver/ConnectionAdopter.h"

#include <algorithm>
#include <cstddef>

#include "platform/thread.h"

namespace {

// While connections are held, they are offered again this often.
constexpr auto kRetryStep = std::chrono::milliseconds(20);

}  // namespace

ConnectionAdopter::ConnectionAdopter(Router& router, int holdMs, size_t maxWaiting)
    : m_Router(router), m_Hold(holdMs), m_MaxWaiting(maxWaiting) {}

ConnectionAdopter::~ConnectionAdopter() {
    Stop();
}

bool ConnectionAdopter::Start() {
    Stop();
    {
        std::lock_guard<std::mutex> guard(m_Lock);
        m_Running = true;
    }
    m_pThread = platform::StartThread("sender-adopt", [this] { Run(); });
    if (!m_pThread) {
        std::lock_guard<std::mutex> guard(m_Lock);
        m_Running = false;
        return false;
    }
    return true;
}

void ConnectionAdopter::Stop() {
    {
        std::lock_guard<std::mutex> guard(m_Lock);
        m_Running = false;
    }
    m_Wake.notify_all();
    platform::JoinThread(m_pThread);
    std::lock_guard<std::mutex> guard(m_Lock);
    for (const Offered& c : m_Arrived) {
        platform::CloseSocketHandle(c.s);
    }
    for (const Offered& c : m_Held) {
        platform::CloseSocketHandle(c.s);
    }
    m_Arrived.clear();
    m_Held.clear();
    m_HeldCount = 0;
    m_Tasks.clear();
}

bool ConnectionAdopter::Offer(platform::SocketHandle s, uint16_t port, uint32_t address) {
    {
        std::lock_guard<std::mutex> guard(m_Lock);
        if (!m_Running || m_Arrived.size() + m_HeldCount >= m_MaxWaiting) {
            return false;
        }
        m_Arrived.push_back({s, port, address, Clock::now() + m_Hold});
    }
    m_Wake.notify_all();
    return true;
}

size_t ConnectionAdopter::Waiting() {
    std::lock_guard<std::mutex> guard(m_Lock);
    return m_Arrived.size() + m_HeldCount + (m_Offering ? 1 : 0);
}

bool ConnectionAdopter::Post(int delayMs, std::function<void()> task) {
    {
        std::lock_guard<std::mutex> guard(m_Lock);
        if (!m_Running) {
            return false;
        }
        m_Tasks.emplace_back(Clock::now() + std::chrono::milliseconds(delayMs), std::move(task));
    }
    m_Wake.notify_all();
    return true;
}

void ConnectionAdopter::RunDueTasks(std::unique_lock<std::mutex>& guard) {
    for (size_t i = 0; i < m_Tasks.size();) {
        if (Clock::now() < m_Tasks[i].first) {
            ++i;
            continue;
        }
        std::function<void()> task = std::move(m_Tasks[i].second);
        m_Tasks.erase(m_Tasks.begin() + static_cast<std::ptrdiff_t>(i));
        guard.unlock();
        task();
        task = nullptr;
        guard.lock();
    }
}

void ConnectionAdopter::Run() {
    std::unique_lock<std::mutex> guard(m_Lock);
    while (m_Running) {
        if (m_Arrived.empty()) {
            Clock::time_point wakeAt = Clock::time_point::max();
            if (!m_Held.empty()) {
                wakeAt = Clock::now() + kRetryStep;
            }
            for (const auto& task : m_Tasks) {
                wakeAt = std::min(wakeAt, task.first);
            }
            const auto woken = [this] { return !m_Running || !m_Arrived.empty(); };
            if (wakeAt == Clock::time_point::max()) {
                m_Wake.wait(guard, [&] { return woken() || !m_Tasks.empty(); });
            } else {
                m_Wake.wait_until(guard, wakeAt, woken);
            }
            if (!m_Running) {
                break;
            }
        }
        RunDueTasks(guard);
        for (Offered& c : m_Arrived) {
            m_Held.push_back(c);
        }
        m_Arrived.clear();
        m_Offering = true;
        guard.unlock();
        OfferHeld();
        guard.lock();
        m_Offering = false;
        m_HeldCount = m_Held.size();
    }
}

void ConnectionAdopter::OfferHeld() {
    const Clock::time_point now = Clock::now();
    std::deque<Offered> kept;
    while (!m_Held.empty()) {
        Offered c = m_Held.front();
        m_Held.pop_front();
        // What waits for the router's turn sees the connections still held
        // before it and after it.
        std::deque<Offered> others = kept;
        others.insert(others.end(), m_Held.begin(), m_Held.end());
        if (m_Router.Ready(c, others) && m_Router.Route(c)) {
            continue;
        }
        if (now >= c.heldUntil) {
            m_Router.Expired(c);
            continue;
        }
        kept.push_back(c);
    }
    m_Held = std::move(kept);
}
