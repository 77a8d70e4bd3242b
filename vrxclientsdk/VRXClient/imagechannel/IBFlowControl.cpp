#include "vrxclientsdk/VRXClient/imagechannel/IBFlowControl.h"

#include <algorithm>
#include <boost/chrono.hpp>
#include <cmath>

void IBFlowControl::Reset() {
    m_lastAcked.store(0);
    m_ackSeen.store(false);
    m_score.store(100);
    m_measuring = false;
    m_measureStartMs = 0;
    m_count = 0;
    m_sumMs = 0;
}

void IBFlowControl::OnAck(uint32_t serial) {
    {
        boost::mutex::scoped_lock guard(m_ackLock);
        m_lastAcked.store(serial, std::memory_order_release);
        if (serial != 0) {
            m_ackSeen.store(true, std::memory_order_release);
        }
    }
    m_ackCondition.notify_all();
}

bool IBFlowControl::Applies(bool lastFragment, bool raw, uint64_t lastBigSendMs,
                            uint64_t nowMs) const {
    if (!m_ackSeen.load(std::memory_order_acquire) || m_window.load() == 0 || !lastFragment) {
        return false;
    }
    return !raw || nowMs - lastBigSendMs <= kRawBigSendWindowMs;
}

bool IBFlowControl::Fits(uint32_t serial) const {
    // serial <= last acknowledged + window + extra - 1, in 64 bits so that a
    // large window cannot wrap.
    const int64_t limit =
        int64_t{m_lastAcked.load(std::memory_order_acquire)} + m_window.load() + m_extra.load() - 1;
    return int64_t{serial} <= limit;
}

int IBFlowControl::WaitForWindow(uint32_t serial, const std::function<bool()>& running) {
    int steps = 0;
    boost::mutex::scoped_lock guard(m_ackLock);
    while (steps < kWaitSteps) {
        if (!running() || Fits(serial)) {
            break;
        }
        m_ackCondition.wait_for(guard, boost::chrono::milliseconds(m_stepMs));
        ++steps;
    }
    return steps;
}

int IBFlowControl::ScoreFor(uint32_t averageMs, uint32_t count) {
    if (averageMs <= 10) {
        return static_cast<int>(100 - averageMs / 2);
    }
    const float average = static_cast<float>(std::min<uint32_t>(averageMs, 1000));
    int score = static_cast<int>((3.0f - std::log10(average)) * 47.5f);
    // Many slow sends within one second: the link is busy rather than slow,
    // so lift the score towards the middle.
    const int lifts = count > 30 ? 2 : count >= 24 ? 1 : 0;
    for (int i = 0; i < lifts; ++i) {
        score = static_cast<int>(10.0 * std::sqrt(static_cast<double>(score)));
    }
    return std::clamp(score, 0, 100);
}

void IBFlowControl::Measure(uint64_t sendStartMs, uint64_t nowMs) {
    if (!m_measuring) {
        m_measuring = true;
        m_measureStartMs = sendStartMs;
    }
    ++m_count;
    m_sumMs += nowMs - sendStartMs;
    if (nowMs - m_measureStartMs > 1000) {
        const uint32_t average = static_cast<uint32_t>(m_sumMs / m_count);
        m_score.store(ScoreFor(average, m_count), std::memory_order_relaxed);
        m_count = 0;
        m_sumMs = 0;
        m_measureStartMs = nowMs;
    }
}
