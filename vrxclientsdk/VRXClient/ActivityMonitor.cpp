#include "vrxclientsdk/VRXClient/ActivityMonitor.h"

#include <algorithm>
#include <boost/chrono.hpp>
#include <vector>

#include "platform/clock.h"
#include "platform/thread.h"
#include "vrxclientsdk/VRPClient/CmdClient.h"
#include "vrxclientsdk/VRXClient/imagechannel/IBClient.h"

namespace activity {

namespace {

// Older receivers widen the window by one step per 2 s without activity, up
// to two steps.
constexpr uint64_t kLevelStepMs = 2000;
constexpr uint64_t kMaxLevel = 2;
// The window of an active PC on receivers from version 0x122 on.
constexpr int kActiveWindow = 2;
// Extra acknowledgement slots over the scaled pre-buffer time when idle.
constexpr int kIdleWindowAdd = 4;
constexpr int kLevelWindowAdd = 2;

}  // namespace

Tuning TuningFor(bool above011D, bool above0121, std::optional<uint64_t> idleMs,
                 uint16_t registeredPreBufTime) {
    const bool idle = !idleMs || *idleMs > kIdleAfterMs;
    Tuning t;
    if (above011D && idle) {
        t.preBufTime = registeredPreBufTime;
        t.windowFromScaled = true;
        t.windowAdd = kIdleWindowAdd;
    } else if (above011D && above0121) {
        t.preBufTime = 0;
        t.windowAdd = kActiveWindow;
    } else {
        const uint64_t level = idleMs ? std::min(*idleMs / kLevelStepMs, kMaxLevel) : kMaxLevel;
        t.windowFromScaled = true;
        t.windowAdd = static_cast<int>(level) + kLevelWindowAdd;
    }
    return t;
}

}  // namespace activity

ActivityMonitor& ActivityMonitor::Instance() {
    static ActivityMonitor monitor;
    return monitor;
}

ActivityMonitor::ActivityMonitor() : m_factory([] { return platform::CreateX11UserActivity(); }) {}

ActivityMonitor::~ActivityMonitor() {
    Clear();
}

int ActivityMonitor::AddClient(const void* client, CmdClient& cmd, IBClient& ib,
                               uint16_t preBufTime) {
    boost::mutex::scoped_lock threadGuard(m_threadLock);
    boost::mutex::scoped_lock guard(m_lock);
    if (!m_running) {
        // The source belongs to this run of the thread; without an X
        // server there is no activity to see and the PC counts as idle.
        m_source = m_factory ? m_factory() : nullptr;
    }
    // Until the next activity the PC counts as idle; the pointer's position
    // now is the one a move is measured from.
    m_lastActivityMs.reset();
    m_lastPassMs = platform::NowMs();
    m_cursorKnown = m_source && m_source->CursorPosition(m_cursorX, m_cursorY);
    m_clients.try_emplace(client, Entry{&cmd, &ib, preBufTime});
    if (!m_running) {
        m_running = true;
        m_pThread = platform::StartThread<boost::thread>("activity", [this] { Run(); });
        if (!m_pThread) {
            m_running = false;
            m_clients.erase(client);
            m_source.reset();
            return kNoThread;
        }
    }
    return 0;
}

void ActivityMonitor::RemoveClient(const void* client) {
    boost::mutex::scoped_lock threadGuard(m_threadLock);
    boost::mutex::scoped_lock guard(m_lock);
    if (m_clients.erase(client) == 0) {
        return;
    }
    m_changed.wait(guard, [&] { return m_visiting != client; });
    if (m_clients.empty()) {
        guard.unlock();
        StopThread();
    }
}

void ActivityMonitor::Clear() {
    boost::mutex::scoped_lock threadGuard(m_threadLock);
    {
        boost::mutex::scoped_lock guard(m_lock);
        m_clients.clear();
    }
    StopThread();
}

void ActivityMonitor::StopThread() {
    std::unique_ptr<boost::thread> thread;
    {
        boost::mutex::scoped_lock guard(m_lock);
        m_running = false;
        thread = std::move(m_pThread);
    }
    m_wake.notify_all();
    if (thread && thread->joinable()) {
        thread->join();
    }
    boost::mutex::scoped_lock guard(m_lock);
    m_source.reset();
}

bool ActivityMonitor::IsRegistered(const void* client) {
    boost::mutex::scoped_lock guard(m_lock);
    return m_clients.count(client) != 0;
}

bool ActivityMonitor::IsThreadRunning() {
    boost::mutex::scoped_lock guard(m_threadLock);
    return m_pThread != nullptr;
}

void ActivityMonitor::SetSourceFactoryForTest(SourceFactory factory) {
    boost::mutex::scoped_lock guard(m_lock);
    m_factory = std::move(factory);
}

void ActivityMonitor::SetIntervalForTest(uint32_t ms) {
    boost::mutex::scoped_lock guard(m_lock);
    m_intervalMs = ms;
}

void ActivityMonitor::PassForTest() {
    Pass();
}

void ActivityMonitor::Run() {
    boost::mutex::scoped_lock guard(m_lock);
    while (m_running) {
        // Woken early only to stop.
        const uint32_t interval = m_intervalMs;
        if (m_wake.wait_for(guard, boost::chrono::milliseconds(interval),
                            [this] { return !m_running; })) {
            break;
        }
        guard.unlock();
        Pass();
        guard.lock();
    }
}

void ActivityMonitor::Pass() {
    // One pass at a time: the thread's and a test's never interleave.
    boost::mutex::scoped_lock pass(m_passLock);

    std::vector<const void*> keys;
    std::optional<uint64_t> idleMs;
    {
        boost::mutex::scoped_lock guard(m_lock);
        const uint64_t now = platform::NowMs();
        if (m_source) {
            int x = 0, y = 0;
            const bool known = m_source->CursorPosition(x, y);
            if (known && (!m_cursorKnown || x != m_cursorX || y != m_cursorY)) {
                m_cursorX = x;
                m_cursorY = y;
                m_lastActivityMs = now;
            } else if (m_source->AnyKeyDown()) {
                m_lastActivityMs = now;
            }
            m_cursorKnown = m_cursorKnown || known;
            // Input the server saw since the last pass (touch included)
            // counts at the time it came.
            const int64_t serverIdle = m_source->InputIdleMs();
            if (serverIdle >= 0 && static_cast<uint64_t>(serverIdle) < now - m_lastPassMs) {
                const uint64_t at = now - static_cast<uint64_t>(serverIdle);
                m_lastActivityMs = std::max(m_lastActivityMs.value_or(0), at);
            }
        }
        m_lastPassMs = now;
        if (m_lastActivityMs) {
            idleMs = now - std::min(now, *m_lastActivityMs);
        }
        keys.reserve(m_clients.size());
        for (const auto& [key, entry] : m_clients) {
            keys.push_back(key);
        }
    }
    for (const void* key : keys) {
        Entry entry;
        {
            boost::mutex::scoped_lock guard(m_lock);
            auto it = m_clients.find(key);
            if (it == m_clients.end()) {
                continue;  // removed meanwhile
            }
            entry = it->second;
            m_visiting = key;
        }
        Visit(entry, idleMs);
        {
            boost::mutex::scoped_lock guard(m_lock);
            m_visiting = nullptr;
        }
        m_changed.notify_all();
    }
}

void ActivityMonitor::Visit(const Entry& entry, std::optional<uint64_t> idleMs) {
    const activity::Tuning t =
        activity::TuningFor(entry.cmd->IsProtocolAbove011D(), entry.cmd->IsProtocolAbove0121(),
                            idleMs, entry.preBufTime);
    // Sent only when the value changes (not forced), so the receiver hears
    // of a change between active and idle, not of every pass.
    if (t.preBufTime) {
        entry.cmd->SetPreBufTime(*t.preBufTime, false, false);
    }
    const int window =
        t.windowFromScaled ? entry.cmd->GetPreBufTimeScaled() + t.windowAdd : t.windowAdd;
    entry.ib->SetAckWindow(window);
}

int ActivityMonitorAddClient(const void* client, CmdClient& cmd, IBClient& ib,
                             uint16_t preBufTime) {
    return ActivityMonitor::Instance().AddClient(client, cmd, ib, preBufTime);
}

void ActivityMonitorRemoveClient(const void* client) {
    ActivityMonitor::Instance().RemoveClient(client);
}
