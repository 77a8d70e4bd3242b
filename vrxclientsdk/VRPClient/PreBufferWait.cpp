#include "vrxclientsdk/VRPClient/PreBufferWait.h"

#include <boost/chrono.hpp>

#include "platform/clock.h"
#include "platform/thread.h"
#include "vrxclientsdk/VRPClient/Logger.h"
#include "vrxclientsdk/VRPClient/QKErrorHandler.h"

namespace {

// The wait looks at its hooks every step; a receiver that reports the end of
// its buffering itself gets up to 1000 steps (30 s).
constexpr int kStepMs = 30;
constexpr int kLongSteps = 1000;
// Start waits at most 400 x 15 ms for the wait's thread to begin.
constexpr int kStartSteps = 400;
constexpr int kStartStepMs = 15;

}  // namespace

PreBufferWait::PreBufferWait(QKErrorHandler& owner, Hooks hooks)
    : m_owner(owner), m_hooks(std::move(hooks)) {}

PreBufferWait::~PreBufferWait() {
    Join(true);
}

void PreBufferWait::Finish() {
    boost::mutex::scoped_lock guard(m_mutex);
    m_done = true;
    m_condition.notify_all();
}

void PreBufferWait::Wake() {
    boost::mutex::scoped_lock guard(m_mutex);
    m_condition.notify_all();
}

void PreBufferWait::Join(bool cancel) {
    std::unique_ptr<boost::thread> thread;
    {
        boost::mutex::scoped_lock guard(m_threadLock);
        if (platform::IsCurrentThread(m_thread)) {
            return;  // joined by the next wait or at shutdown
        }
        thread = std::move(m_thread);
    }
    if (!thread) {
        return;
    }
    if (cancel) {
        // The caller may hold what the closing mute step needs: that step is
        // skipped.
        m_cancel = true;
        Wake();
    }
    platform::JoinThread(thread);
    m_cancel = false;
}

void PreBufferWait::Start(int steps, bool mute) {
    if (m_done.load()) {
        return;
    }
    Join(true);
    m_started = false;
    {
        boost::mutex::scoped_lock guard(m_threadLock);
        m_thread = platform::StartThread<boost::thread>("cmd-prebuf",
                                                        [this, steps, mute] { Run(steps, mute); });
        if (!m_thread) {
            QK_LOG(m_owner.GetLogger(), LOG_CRIT, "StartPreBufWait cannot start its thread");
            return;
        }
    }
    for (int i = 0; i < kStartSteps && !m_started.load(); ++i) {
        platform::SleepMs(kStartStepMs);
    }
}

void PreBufferWait::Run(int steps, bool mute) {
    QK_LOG(m_owner.GetLogger(), LOG_DEBUG, "WaitPreBufDone");
    m_waiting = true;
    m_started = true;
    const int limit = m_hooks.receiverReportsEnd() ? kLongSteps : steps;
    {
        boost::mutex::scoped_lock guard(m_mutex);
        for (int i = 0; i < limit && m_hooks.mayWait() && !m_done.load() && !m_cancel.load(); ++i) {
            if (m_condition.wait_for(guard, boost::chrono::milliseconds(kStepMs)) ==
                boost::cv_status::no_timeout) {
                break;
            }
        }
    }
    m_waiting = false;
    if (mute) {
        m_hooks.muteAgain(m_cancel);
    }
    QK_LOG(m_owner.GetLogger(), LOG_DEBUG, "PreBufDone");
}
