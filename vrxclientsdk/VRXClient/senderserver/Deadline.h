// Deadline: runs an action when a piece of work takes longer than it may.
// While armed, a thread of its own waits; at the deadline it runs the action
// (e.g. closing the connection the work waits on, so that the work ends at
// once). Destroying it disarms it and waits for an action already running.
//
// THREADING: made and destroyed on one thread; the action runs on its own.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class Deadline {
public:
    // Arms the deadline `ms` milliseconds from now. When no thread starts,
    // it is not armed.
    Deadline(int ms, std::function<void()> onExpiry);
    ~Deadline();
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

    // True once the deadline passed and the action ran.
    bool Expired();

private:
    std::mutex m_Lock;
    std::condition_variable m_Wake;
    bool m_Disarmed = false;
    bool m_Expired = false;
    std::unique_ptr<std::thread> m_pThread;
};
