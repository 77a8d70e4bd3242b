// A file descriptor owned by one object and closed on every path.
// THREADING: one owner thread at a time.
#pragma once

#include <unistd.h>

#include <utility>

namespace platform {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.m_fd, -1));
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Gives the descriptor up without closing it.
    int release() { return std::exchange(m_fd, -1); }
    // Closes the descriptor held (if any) and takes `fd`.
    void reset(int fd = -1) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = fd;
    }
    // Closes now and returns close()'s result: after a write, close can be
    // the call that reports the error.
    int Close() { return m_fd >= 0 ? ::close(std::exchange(m_fd, -1)) : 0; }

private:
    int m_fd = -1;
};

}  // namespace platform
