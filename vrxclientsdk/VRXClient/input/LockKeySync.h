// LockKeySync: keeps the receiver told of the PC's NumLock, CapsLock and
// ScrollLock while the whole screen is shown.
//
// The lock-key channel is process-wide: the command channel of the client
// that logged in last. A client's timer reads the three toggles every 200 ms
// of the process clock (platform/clock.h, which tests step) and sends a
// lock-key frame (0xF4) on that channel for each one that changed since it
// was last sent. A client clears the channel when it logs out, fails
// to log in or goes away, and its timer stops with it, so neither outlives
// the client.
//
// THREADING: the timer runs on a thread of its own; the other operations on
// any thread. One process-wide lock guards the channel and the last-sent
// states, and is held while a frame is sent.
#pragma once

#include <atomic>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>
#include <cstdint>
#include <memory>

#include "vrxclientsdk/VRXClient/input/InputReplay.h"

class CmdClient;

class LockKeySync {
public:
    // Period of the timer.
    static constexpr int kPeriodMs = 200;

    // `replay` reads the toggles.
    explicit LockKeySync(std::shared_ptr<InputReplay> replay);
    // Stops the timer.
    ~LockKeySync();
    LockKeySync(const LockKeySync&) = delete;
    LockKeySync& operator=(const LockKeySync&) = delete;

    // `channel` becomes the lock-key channel; it must stay alive until
    // ClearChannel(channel).
    static void SetChannel(CmdClient* channel);
    // Clears the channel when it is `channel`; afterwards no frame goes to
    // it. Waits for a frame being sent.
    static void ClearChannel(CmdClient* channel);
    static bool HasChannel();

    // Sends all three states and stores them as last sent.
    void SendLockKeyState();
    // Starts the timer unless it runs.
    void StartTimer();
    // Stops the timer and waits for its thread. Idempotent.
    void StopTimer();
    bool TimerRunning();

    // Test hooks: the timer looks at the clock at least every `ms` of real
    // time (by default it sleeps until its period is due on the clock), and
    // counts its looks.
    void SetTimerStepForTest(int ms) { m_StepMs = ms; }
    uint64_t TimerPassesForTest() const { return m_Passes.load(); }

private:
    // Sends the states that differ from the last sent, then stores all.
    void SyncLockKeys();
    void TimerThread();

    std::shared_ptr<InputReplay> m_Replay;
    boost::mutex m_ControlLock;  // serialises StartTimer and StopTimer
    boost::mutex m_TimerLock;    // guards m_Stop and m_pTimer
    boost::condition_variable_any m_Wake;
    bool m_Stop = false;
    std::unique_ptr<boost::thread> m_pTimer;
    std::atomic<int> m_StepMs{0};
    std::atomic<uint64_t> m_Passes{0};
};
