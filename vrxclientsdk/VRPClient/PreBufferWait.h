// The wait that follows a media start (or a seek) on the command channel:
// the receiver fills its buffer before it plays, and until it says so (a
// device notice) or the wait runs out, the channel refuses further requests.
//
// The wait runs on a thread of its own, so that the request that started it
// returns at once; it ends early when the connection goes, the media stops
// or the owner cancels it. A wait started with `mute` mutes the receiver
// again when it ends (a receiver starts every media unmuted).
//
// Not the requests: the command channel owns one PreBufferWait and tells it
// what happens. THREADING: Start and Join from the requesting threads (never
// from the wait's own thread, where Join returns at once), Finish and Wake
// from the dispatcher thread; the hooks run on the wait's thread.
#pragma once

#include <atomic>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>
#include <functional>
#include <memory>

class QKErrorHandler;

class PreBufferWait {
public:
    struct Hooks {
        // True while the wait may go on (the connection is up and media plays).
        std::function<bool()> mayWait;
        // True when the receiver reports the end of its buffering itself:
        // the wait then allows its long limit.
        std::function<bool()> receiverReportsEnd;
        // The closing mute step. It must give up when `cancelled` turns true
        // (a joiner that holds what the step needs is waiting for it).
        std::function<void(const std::atomic<bool>& cancelled)> muteAgain;
    };

    // `owner` gives the log and outlives this object.
    PreBufferWait(QKErrorHandler& owner, Hooks hooks);
    // Cancels and joins a wait in progress.
    ~PreBufferWait();
    PreBufferWait(const PreBufferWait&) = delete;
    PreBufferWait& operator=(const PreBufferWait&) = delete;

    // A media start was asked for: the receiver is not ready until it says so.
    void Expect() { m_done = false; }
    // The receiver said it is ready (or the start failed): a wait ends.
    void Finish();
    bool IsDone() const { return m_done.load(); }
    // True while the wait runs: requests are refused meanwhile.
    bool IsWaiting() const { return m_waiting.load(); }
    // Wakes the wait so that it looks at its hooks at once.
    void Wake();

    // Starts waiting up to `steps` steps of 30 ms (the long limit when the
    // receiver reports the end), unless the receiver is ready already. Joins
    // an earlier wait first; returns once the new one runs.
    void Start(int steps, bool mute);
    // Waits for the wait's thread to end. With `cancel` it ends at once and
    // skips its mute step.
    void Join(bool cancel);

private:
    void Run(int steps, bool mute);

    QKErrorHandler& m_owner;
    Hooks m_hooks;
    boost::mutex m_mutex;  // with the condition: the wait's sleep
    boost::condition_variable_any m_condition;
    boost::mutex m_threadLock;  // guards m_thread
    std::unique_ptr<boost::thread> m_thread;
    std::atomic<bool> m_done{true};
    std::atomic<bool> m_waiting{false};
    std::atomic<bool> m_started{false};
    std::atomic<bool> m_cancel{false};
};
