// ActivityMonitor: the process-wide idle monitor. While clients project, it
// watches the PC for local activity (pointer moves, held keys, any input the
// X server counts, touch screens included) every 100 ms and tunes each
// client's latency to it: while the PC is in use the receiver gets no
// pre-buffer and a small acknowledgement window; after 5 s without activity
// the client's own pre-buffer time and a wider window come back.
//
// Projection control registers a client when projection starts and removes
// it at pause, stop and the beginning of every start. It is not a window and
// reads no input itself beyond polling its activity source.
//
// THREADING: AddClient and RemoveClient from any thread. One monitor thread
// exists while at least one client is registered; it visits the clients'
// channels. RemoveClient returns only when the thread no longer touches the
// client, so the client may be destroyed right after it.
#pragma once

#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "platform/idle/user_activity.h"

class CmdClient;
class IBClient;

namespace activity {

// Milliseconds without activity after which the PC counts as idle.
constexpr uint64_t kIdleAfterMs = 5000;

// What one pass does to one client.
struct Tuning {
    std::optional<uint16_t> preBufTime;  // sent with SetPreBufTime (not forced)
    bool windowFromScaled = false;       // window = scaled pre-buffer + windowAdd
    int windowAdd = 0;                   // or, without windowFromScaled, the window itself
};

// The tuning for a receiver by its version predicates and the time without
// activity (nullopt: none seen since registration).
Tuning TuningFor(bool above011D, bool above0121, std::optional<uint64_t> idleMs,
                 uint16_t registeredPreBufTime);

}  // namespace activity

class ActivityMonitor {
public:
    using SourceFactory = std::function<std::unique_ptr<platform::UserActivity>()>;

    // Results of AddClient.
    static constexpr int kNoMemory = -3;
    static constexpr int kNoThread = -30;

    // The monitor of the process (built on first use, stopped at exit).
    static ActivityMonitor& Instance();

    // A monitor with the X11 activity source of the default display.
    ActivityMonitor();
    // Stops the thread.
    ~ActivityMonitor();
    ActivityMonitor(const ActivityMonitor&) = delete;
    ActivityMonitor& operator=(const ActivityMonitor&) = delete;

    // Registers `client` (an opaque key: the facade) with its channels and
    // configured pre-buffer time; both channels must stay valid until
    // RemoveClient(client) returned. A registered client keeps its entry.
    // Until the next activity the PC counts as idle. 0, or kNoThread.
    int AddClient(const void* client, CmdClient& cmd, IBClient& ib, uint16_t preBufTime);
    // Unregisters `client` (nothing when it is not registered) and waits
    // until the thread no longer visits it; ends the thread with the last.
    void RemoveClient(const void* client);
    // Unregisters every client and ends the thread.
    void Clear();

    bool IsRegistered(const void* client);
    bool IsThreadRunning();

    // --- test hooks -----------------------------------------------------------
    // The source the thread opens when it starts (default: X11).
    void SetSourceFactoryForTest(SourceFactory factory);
    // Time between passes (100 ms by default); takes effect after the
    // thread's current wait.
    void SetIntervalForTest(uint32_t ms);
    // Runs one pass on the calling thread (the thread must be running, so
    // that its source is open).
    void PassForTest();

private:
    struct Entry {
        CmdClient* cmd = nullptr;
        IBClient* ib = nullptr;
        uint16_t preBufTime = 0;
    };

    void Run();
    void Pass();
    void Visit(const Entry& entry, std::optional<uint64_t> idleMs);
    void StopThread();  // m_threadLock held

    // Serialises starting and stopping the thread; taken before m_lock.
    boost::mutex m_threadLock;
    std::unique_ptr<boost::thread> m_pThread;

    boost::mutex m_passLock;                  // held for a whole pass
    boost::mutex m_lock;                      // guards everything below
    boost::condition_variable_any m_changed;  // a visit ended
    boost::condition_variable_any m_wake;     // the thread is asked to stop
    std::map<const void*, Entry> m_clients;
    bool m_running = false;
    const void* m_visiting = nullptr;  // the client a pass works on
    uint32_t m_intervalMs = 100;
    SourceFactory m_factory;
    std::unique_ptr<platform::UserActivity> m_source;
    // Activity state, read and written by passes (under m_lock).
    bool m_resetPending = true;
    std::optional<uint64_t> m_lastActivityMs;
    uint64_t m_lastPassMs = 0;
    int m_cursorX = 0, m_cursorY = 0;
    bool m_cursorKnown = false;
};

// The process-wide monitor's registration, as projection control calls it.
int ActivityMonitorAddClient(const void* client, CmdClient& cmd, IBClient& ib, uint16_t preBufTime);
void ActivityMonitorRemoveClient(const void* client);
