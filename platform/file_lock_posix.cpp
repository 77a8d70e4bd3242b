#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/clock.h"
#include "platform/syserror.h"

namespace platform {

std::unique_ptr<FileLock> FileLock::Acquire(const std::string& path, uint32_t timeoutMs,
                                            std::string* error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (error) {
            *error = "cannot open " + path + ": " + SystemErrorText(errno);
        }
        return nullptr;
    }
    // Real time, not the injectable clock: another process holds the lock.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return std::unique_ptr<FileLock>(new FileLock(fd));
        }
        const int err = errno;
        if (err != EWOULDBLOCK && err != EINTR) {
            ::close(fd);
            if (error) {
                *error = "cannot lock " + path + ": " + SystemErrorText(err);
            }
            return nullptr;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            if (error) {
                *error = path + " stays locked by another process";
            }
            return nullptr;
        }
        // Holders keep the lock for one short write; 5 ms steps are plenty.
        SleepMs(5);
    }
}

FileLock::~FileLock() {
    ::close(m_fd);  // closing the only descriptor releases the lock
}

}  // namespace platform
