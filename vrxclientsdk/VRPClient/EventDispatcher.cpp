#include "vrxclientsdk/VRPClient/EventDispatcher.h"

#include <boost/chrono.hpp>

namespace {

// An idle dispatcher looks at its flag this often.
constexpr int kStepMs = 30;

}  // namespace

void EventDispatcher::Push(uint8_t code, std::string payload) {
    {
        boost::recursive_mutex::scoped_lock queue(m_queueLock);
        m_queue.push_back(Event{code, std::move(payload)});
    }
    Wake();
}

void EventDispatcher::Clear() {
    boost::recursive_mutex::scoped_lock queue(m_queueLock);
    m_queue.clear();
}

void EventDispatcher::Wake() {
    boost::recursive_mutex::scoped_lock wait(m_waitLock);
    m_condition.notify_all();
}

void EventDispatcher::Run(const std::function<bool()>& keepRunning,
                          const std::function<void(uint8_t code, int result)>& done) {
    while (keepRunning()) {
        Event event{};
        bool have = false;
        {
            boost::recursive_mutex::scoped_lock queue(m_queueLock);
            if (!m_queue.empty()) {
                event = std::move(m_queue.front());
                m_queue.pop_front();
                have = true;
            }
        }
        if (have) {
            if (keepRunning() && m_handlers[event.code]) {
                done(event.code, m_handlers[event.code](event.payload));
            }
            continue;
        }
        boost::recursive_mutex::scoped_lock wait(m_waitLock);
        bool empty;
        {
            boost::recursive_mutex::scoped_lock queue(m_queueLock);
            empty = m_queue.empty();
        }
        if (empty && keepRunning()) {
            m_condition.wait_for(wait, boost::chrono::milliseconds(kStepMs));
        }
    }
}
