// The image channel's acknowledgement window and link score.
//
// The receiver acknowledges messages by serial. After the last fragment of a
// frame the encode thread waits, boundedly, until the message's serial lies
// within the window above the last acknowledged serial; a receiver that has
// never acknowledged anything is not waited for. Each waited send is timed,
// and the average send time over about a second rates the link from 0 to 100.
//
// THREADING: OnAck runs on the connection's dispatcher thread; everything
// else on the encode thread, except Reset (called by Start while no encode
// thread runs) and the setters and LinkScore (any thread).
#pragma once

#include <atomic>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <cstdint>
#include <functional>

class IBFlowControl {
public:
    // The bound of one wait: this many steps of up to this many ms each.
    static constexpr int kWaitSteps = 250;
    static constexpr int kWaitStepMs = 5;
    // A raw-pixel stream is paced only while big messages keep flowing.
    static constexpr uint64_t kRawBigSendWindowMs = 3000;

    void SetWindow(int window) { m_window.store(window); }
    void SetExtraWindow(int extra) { m_extra.store(extra); }

    // Forgets acknowledgements and measurements (projection start).
    void Reset();

    // Stores the latest acknowledged serial and wakes a waiting encode thread.
    void OnAck(uint32_t serial);
    uint32_t LastAcked() const { return m_lastAcked.load(std::memory_order_acquire); }

    // True when the message just sent must be paced: an acknowledgement with a
    // non-zero serial came since Reset, the window is not 0, the message ends
    // its frame, and for raw pixels the last big message went out at most
    // 3000 ms before `nowMs`.
    bool Applies(bool lastFragment, bool raw, uint64_t lastBigSendMs, uint64_t nowMs) const;

    // Waits until `serial` fits the window, `running` turns false, or the
    // wait bound passes. Returns the number of wait steps taken.
    int WaitForWindow(uint32_t serial, const std::function<bool()>& running);

    // Counts one paced send that began at `sendStartMs` and ended at `nowMs`,
    // and re-rates the link once more than 1000 ms were measured.
    void Measure(uint64_t sendStartMs, uint64_t nowMs);

    int LinkScore() const { return m_score.load(std::memory_order_relaxed); }

    // The score for an average send time over `count` sends.
    static int ScoreFor(uint32_t averageMs, uint32_t count);

    // Test hook: shortens each wait step (the step count stays).
    void SetWaitStepForTest(int ms) { m_stepMs = ms; }

private:
    bool Fits(uint32_t serial) const;

    std::atomic<uint32_t> m_lastAcked{0};
    std::atomic<bool> m_ackSeen{false};
    std::atomic<int> m_window{4};
    std::atomic<int> m_extra{0};
    std::atomic<int> m_score{100};
    boost::mutex m_ackLock;
    boost::condition_variable_any m_ackCondition;
    int m_stepMs = kWaitStepMs;

    // Encode-thread state of the running measurement.
    bool m_measuring = false;
    uint64_t m_measureStartMs = 0;
    uint32_t m_count = 0;
    uint64_t m_sumMs = 0;
};
