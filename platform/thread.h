// Starting and ending the program's own threads.
//
// Every thread the program starts goes through StartThread, so that each one
// carries a name in the debugger, in `top -H` and in sanitizer reports, and
// so that a failure to start one is a null result rather than an exception.
// The owner keeps the returned object and ends the thread with JoinThread.
// Thread is std::thread or boost::thread (the protocol classes use boost's).
#pragma once

#include <pthread.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

namespace platform {

// Names the calling thread (the system keeps the first 15 characters).
void SetCurrentThreadName(std::string_view name);

// Starts `body` on a new thread named `name`. Returns the running thread, or
// nullptr when the system cannot start one; `body` then never runs. Any
// thread may call it.
template <typename Thread = std::thread>
std::unique_ptr<Thread> StartThread(std::string_view name, std::function<void()> body) {
    try {
        return std::make_unique<Thread>([name = std::string(name), body = std::move(body)] {
            SetCurrentThreadName(name);
            body();
        });
    } catch (const std::exception&) {
        return nullptr;  // out of threads or memory
    }
}

// True when the caller runs on `thread`.
template <typename Thread>
bool IsCurrentThread(const std::unique_ptr<Thread>& thread) {
    return thread && thread->joinable() &&
           ::pthread_equal(thread->native_handle(), ::pthread_self());
}

// Waits for `thread` to end and resets it. Called on that thread itself (a
// thread cannot wait for itself) it is detached instead: it ends on its own
// after the caller returns. Null is ignored.
template <typename Thread>
void JoinThread(std::unique_ptr<Thread>& thread) {
    if (!thread) {
        return;
    }
    if (IsCurrentThread(thread)) {
        thread->detach();
    } else if (thread->joinable()) {
        thread->join();
    }
    thread.reset();
}

}  // namespace platform
