// A signal that wakes every poll of one forwarding thread: an eventfd that,
// once raised, stays readable. The owner raises it to stop the thread.
#pragma once

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace usbip {

class StopSignal {
public:
    StopSignal() : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~StopSignal() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    bool IsValid() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    // Raises the signal; any thread.
    void Raise() {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_fd, &one, sizeof one);
    }

private:
    int m_fd;
};

}  // namespace usbip
