#include "vrxclientsdk/VRXClient/input/LockKeySync.h"

#include <algorithm>
#include <mutex>

#include "platform/clock.h"
#include "platform/thread.h"
#include "vrxclientsdk/VRPClient/CmdClient.h"

namespace {

// Key numbers of the lock-key frame.
constexpr uint8_t kNumLock = 0;
constexpr uint8_t kCapsLock = 1;
constexpr uint8_t kScrollLock = 2;

// The process-wide lock-key channel and what was last sent on it.
struct ChannelState {
    std::mutex lock;
    CmdClient* channel = nullptr;
    platform::LockKeyStates lastSent;
};

ChannelState& State() {
    static ChannelState state;
    return state;
}

}  // namespace

LockKeySync::LockKeySync(std::shared_ptr<InputReplay> replay) : m_Replay(std::move(replay)) {}

LockKeySync::~LockKeySync() {
    StopTimer();
}

void LockKeySync::SetChannel(CmdClient* channel) {
    std::lock_guard<std::mutex> guard(State().lock);
    State().channel = channel;
}

void LockKeySync::ClearChannel(CmdClient* channel) {
    std::lock_guard<std::mutex> guard(State().lock);
    if (State().channel == channel) {
        State().channel = nullptr;
    }
}

bool LockKeySync::HasChannel() {
    std::lock_guard<std::mutex> guard(State().lock);
    return State().channel != nullptr;
}

void LockKeySync::SendLockKeyState() {
    platform::LockKeyStates now;
    std::lock_guard<std::mutex> guard(State().lock);
    if (!State().channel || !m_Replay->ReadLockKeys(&now)) {
        return;
    }
    // A frame that cannot be sent is dropped; the state counts as sent.
    State().channel->SendLockKeyState(kNumLock, now.numLock);
    State().channel->SendLockKeyState(kCapsLock, now.capsLock);
    State().channel->SendLockKeyState(kScrollLock, now.scrollLock);
    State().lastSent = now;
}

void LockKeySync::SyncLockKeys() {
    platform::LockKeyStates now;
    std::lock_guard<std::mutex> guard(State().lock);
    if (!State().channel || !m_Replay->ReadLockKeys(&now)) {
        return;
    }
    const platform::LockKeyStates& last = State().lastSent;
    if (now.numLock != last.numLock) {
        State().channel->SendLockKeyState(kNumLock, now.numLock);
    }
    if (now.capsLock != last.capsLock) {
        State().channel->SendLockKeyState(kCapsLock, now.capsLock);
    }
    if (now.scrollLock != last.scrollLock) {
        State().channel->SendLockKeyState(kScrollLock, now.scrollLock);
    }
    State().lastSent = now;
}

void LockKeySync::StartTimer() {
    boost::unique_lock<boost::mutex> control(m_ControlLock);
    boost::unique_lock<boost::mutex> lock(m_TimerLock);
    if (m_pTimer) {
        return;
    }
    m_Stop = false;
    // Without a thread the lock keys are still sent at each start; only the
    // following of later changes is lost.
    m_pTimer = platform::StartThread<boost::thread>("lock-keys", [this] { TimerThread(); });
}

void LockKeySync::StopTimer() {
    // Held until the old thread is gone, so that a start cannot revive it.
    boost::unique_lock<boost::mutex> control(m_ControlLock);
    std::unique_ptr<boost::thread> timer;
    {
        boost::unique_lock<boost::mutex> lock(m_TimerLock);
        m_Stop = true;
        timer = std::move(m_pTimer);
    }
    m_Wake.notify_all();
    if (timer) {
        timer->join();
    }
}

bool LockKeySync::TimerRunning() {
    boost::unique_lock<boost::mutex> lock(m_TimerLock);
    return m_pTimer != nullptr;
}

void LockKeySync::TimerThread() {
    uint64_t lastSync = platform::NowMs();
    boost::unique_lock<boost::mutex> lock(m_TimerLock);
    while (!m_Stop) {
        const uint64_t since = platform::NowMs() - lastSync;
        int waitMs = since >= kPeriodMs ? 0 : kPeriodMs - static_cast<int>(since);
        if (const int step = m_StepMs.load(); step > 0) {
            waitMs = std::min(waitMs, step);
        }
        if (waitMs > 0) {
            m_Wake.wait_for(lock, boost::chrono::milliseconds(waitMs));
        }
        ++m_Passes;
        if (m_Stop) {
            break;
        }
        const uint64_t now = platform::NowMs();
        if (now - lastSync < static_cast<uint64_t>(kPeriodMs)) {
            continue;  // woken early, or a test's step: not due yet
        }
        lastSync = now;
        lock.unlock();
        SyncLockKeys();
        lock.lock();
    }
}
