#include "platform/window/message_queue.h"

namespace platform {

void MessageQueue::Push(const Message& msg) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_messages.push_back(msg);
    }
    if (m_wake) {
        m_wake();
    }
}

std::optional<Message> MessageQueue::Pop() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_messages.empty()) {
        return std::nullopt;
    }
    Message msg = m_messages.front();
    m_messages.pop_front();
    return msg;
}

bool MessageQueue::Empty() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_messages.empty();
}

void MessageQueue::Forget(WindowId target) {
    std::lock_guard<std::mutex> guard(m_lock);
    std::erase_if(m_messages, [&](const Message& m) {
        return m.target == target && m.kind != MessageKind::kQuit;
    });
}

}  // namespace platform
