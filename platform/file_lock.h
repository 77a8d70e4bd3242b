// An exclusive advisory lock on a file, between the processes of one user.
//
// The lock is a flock() on a small lock file beside the data it guards (the
// data file itself is replaced by rename, so it cannot carry the lock). The
// system drops the lock when its holder ends, however it ends.
// THREADING: a lock object belongs to the thread that took it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class FileLock {
public:
    // Takes the lock on `path` (made with mode 0600 when missing), waiting
    // up to `timeoutMs` of real time for another holder (0: one try).
    // nullptr when it stays held or the file cannot be used; the reason goes
    // to *error.
    static std::unique_ptr<FileLock> Acquire(const std::string& path, uint32_t timeoutMs,
                                             std::string* error = nullptr);

    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    explicit FileLock(int fd) : m_fd(fd) {}
    int m_fd;
};

}  // namespace platform
