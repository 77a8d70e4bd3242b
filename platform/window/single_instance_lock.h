// The single-instance lock: one running copy of the program per user.
//
// The lock is an exclusive flock() on "<name>.lock" in the instance folder;
// the system drops it when the holder ends, however it ends, so a crashed
// copy never blocks the next start. Not a window: finding the running copy
// and handing it a command is InstanceCommandServer's job.
// THREADING: a lock object belongs to the thread that uses it.
#pragma once

#include <memory>
#include <string>

namespace platform {

class SingleInstanceLock {
public:
    enum class Result {
        kAcquired,       // this process now holds the lock
        kHeldElsewhere,  // another copy runs
        kError,          // the folder or file cannot be used (logged)
    };

    // Tries to take the lock "<dir>/<name>.lock" (dir empty: the instance
    // folder) without waiting. On kAcquired, *lock holds it until destroyed.
    static Result TryAcquire(const std::string& name, const std::string& dir,
                             std::unique_ptr<SingleInstanceLock>* lock);

    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    const std::string& Path() const { return m_path; }

private:
    SingleInstanceLock(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}

    int m_fd;
    std::string m_path;
};

}  // namespace platform
