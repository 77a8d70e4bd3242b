// The posted-message queue of the user-interface thread.
//
// Any thread may Push(); each push calls the wake function so that a loop
// waiting for display events returns. Only the user-interface thread pops.
// Messages come out in the order they went in.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/window/window_message.h"

namespace platform {

class MessageQueue {
public:
    // `wake` is called after every push, outside the lock; it must be safe
    // on any thread.
    explicit MessageQueue(std::function<void()> wake) : m_wake(std::move(wake)) {}

    void Push(const Message& msg);
    std::optional<Message> Pop();
    bool Empty() const;
    // Drops every queued message for `target`.
    void Forget(WindowId target);

private:
    std::function<void()> m_wake;
    mutable std::mutex m_lock;
    std::deque<Message> m_messages;
};

}  // namespace platform
