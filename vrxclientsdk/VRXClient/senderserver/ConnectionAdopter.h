// ConnectionAdopter: takes the connections that the listening server
// accepted and adopts them on a worker thread of its own, so that the accept
// thread never waits for a peer.
//
// Every connection waits in arrival order. A connection that its router
// cannot place yet (an image or third connection whose command connection
// has not been adopted) is held and offered again until its hold ends; then
// it is given back to the router to be closed. At most a fixed number of
// connections wait at once: beyond that, Offer refuses.
//
// THREADING: Offer on any thread (the accept thread); Start and Stop on the
// owner's thread; the router's calls and the posted tasks on the worker
// thread only.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/socket.h"

class ConnectionAdopter {
public:
    using Clock = std::chrono::steady_clock;

    // One accepted connection: its socket, the listening port it came to and
    // the peer's IPv4 address (network order).
    struct Offered {
        platform::SocketHandle s = platform::kInvalidSocket;
        uint16_t port = 0;
        uint32_t address = 0;
        Clock::time_point heldUntil;
    };

    class Router {
    public:
        virtual ~Router() = default;
        // Adopts `c` or closes it: true. False keeps it held; the router may
        // have replaced its socket by another one for the same connection.
        virtual bool Route(Offered& c) = 0;
        // Whether `c` may be offered now; false lets it wait (held) without
        // being offered, e.g. while an earlier connection of its peer waits.
        virtual bool Ready(const Offered& c, const std::deque<Offered>& held) = 0;
        // Closes `c`, whose hold ended.
        virtual void Expired(const Offered& c) = 0;
    };

    // `holdMs`: how long a connection may be held; `maxWaiting`: how many
    // connections may wait at once.
    ConnectionAdopter(Router& router, int holdMs, size_t maxWaiting);
    // Stops the worker and closes what waits.
    ~ConnectionAdopter();
    ConnectionAdopter(const ConnectionAdopter&) = delete;
    ConnectionAdopter& operator=(const ConnectionAdopter&) = delete;

    // Starts the worker; false when no thread starts.
    bool Start();
    // Ends the worker and closes every waiting connection. Idempotent.
    void Stop();
    // Hands `s` over to the worker. False (and `s` untouched, still the
    // caller's) when the worker does not run or too many connections wait.
    bool Offer(platform::SocketHandle s, uint16_t port, uint32_t address);
    // How many connections wait or are being adopted now.
    size_t Waiting();
    // Runs `task` on the worker once `delayMs` passed. False (and `task`
    // dropped) when the worker does not run; tasks still due at Stop are
    // dropped.
    bool Post(int delayMs, std::function<void()> task);

private:
    void Run();
    // Offers what is held to the router; drops what it placed or expired.
    void OfferHeld();
    // Runs the tasks that are due; called and returning with `guard` held.
    void RunDueTasks(std::unique_lock<std::mutex>& guard);

    Router& m_Router;
    const std::chrono::milliseconds m_Hold;
    const size_t m_MaxWaiting;
    std::mutex m_Lock;  // guards every member above m_Held
    std::condition_variable m_Wake;
    std::deque<Offered> m_Arrived;
    std::deque<std::pair<Clock::time_point, std::function<void()>>> m_Tasks;
    size_t m_HeldCount = 0;
    bool m_Offering = false;  // the worker is offering connections
    bool m_Running = false;
    std::deque<Offered> m_Held;  // the worker's own
    std::unique_ptr<std::thread> m_pThread;
};
