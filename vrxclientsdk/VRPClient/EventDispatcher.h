// The events of one connection: the network thread queues each event frame
// (its code and payload) and the dispatcher thread hands them, in arrival
// order, to the handler installed for the code.
//
// Not a thread: ProtocolBase starts the dispatcher thread and runs Run() on
// it; it knows nothing of sockets or frames.
//
// THREADING: handlers are installed before the connection starts; Push and
// Clear from the network thread or the connection's owner; Run on the
// dispatcher thread; Wake from any thread.
#pragma once

#include <boost/thread/condition_variable.hpp>
#include <boost/thread/recursive_mutex.hpp>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

class EventDispatcher {
public:
    // Handles one event's payload; the result goes to Run's `done`.
    using Handler = std::function<int(const std::string& payload)>;

    void SetHandler(uint8_t code, Handler handler) { m_handlers[code] = std::move(handler); }
    bool HasHandler(uint8_t code) const { return static_cast<bool>(m_handlers[code]); }

    // Queues an event and wakes Run.
    void Push(uint8_t code, std::string payload);
    // Drops every queued event.
    void Clear();
    // Wakes a Run that waits, so that it looks at its flag at once.
    void Wake();

    // Runs the queued events' handlers one at a time while `keepRunning()`
    // holds, passing each code and result to `done`; waits for events in
    // steps of 30 ms.
    void Run(const std::function<bool()>& keepRunning,
             const std::function<void(uint8_t code, int result)>& done);

private:
    struct Event {
        uint8_t code;
        std::string payload;
    };

    Handler m_handlers[256];
    boost::recursive_mutex m_queueLock;
    boost::recursive_mutex m_waitLock;
    boost::condition_variable_any m_condition;
    std::deque<Event> m_queue;
};
