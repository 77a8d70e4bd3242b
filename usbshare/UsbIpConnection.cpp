#include "usbshare/UsbIpConnection.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "platform/clock.h"
#include "platform/socket.h"

namespace usbip {
namespace {

// Waits until `fd` is ready for `events` or `stopFd` is raised.
IoResult WaitReady(int fd, short events, int stopFd, int64_t deadline) {
    for (;;) {
        int wait = -1;
        if (deadline >= 0) {
            const int64_t now = static_cast<int64_t>(platform::NowMs());
            if (now >= deadline) {
                errno = ETIMEDOUT;
                return IoResult::kFailed;
            }
            wait = static_cast<int>(std::min<int64_t>(deadline - now, 100));
        }
        pollfd p[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
        const int n = ::poll(p, stopFd >= 0 ? 2 : 1, wait);
        if (n < 0 && errno != EINTR) {
            return IoResult::kFailed;
        }
        if (stopFd >= 0 && (p[1].revents & POLLIN)) {
            return IoResult::kStopped;
        }
        if (n > 0 && p[0].revents) {
            return IoResult::kOk;
        }
    }
}

template <typename Op>
IoResult Exact(int fd, size_t len, short events, int stopFd, int timeoutMs, Op op) {
    const int64_t deadline =
        timeoutMs < 0 ? -1 : static_cast<int64_t>(platform::NowMs()) + timeoutMs;
    size_t done = 0;
    while (done < len) {
        const ssize_t n = op(done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n == 0) {
            errno = ECONNRESET;
            return IoResult::kFailed;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return IoResult::kFailed;
        }
        const IoResult r = WaitReady(fd, events, stopFd, deadline);
        if (r != IoResult::kOk) {
            return r;
        }
    }
    return IoResult::kOk;
}

struct AddrInfoDeleter {
    void operator()(addrinfo* a) const { ::freeaddrinfo(a); }
};

}  // namespace

int ConnectDeviceSocket(const std::string& address, const std::string& service,
                        uint32_t timeoutMs) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* raw = nullptr;
    if (::getaddrinfo(address.c_str(), service.c_str(), &hints, &raw) != 0 || !raw) {
        errno = EHOSTUNREACH;
        return -1;
    }
    std::unique_ptr<addrinfo, AddrInfoDeleter> list(raw);
    int error = EHOSTUNREACH;
    for (addrinfo* a = list.get(); a; a = a->ai_next) {
        const int s = ::socket(a->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (s < 0) {
            error = errno;
            continue;
        }
        const int one = 1;
        ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ::setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
        if (::connect(s, a->ai_addr, a->ai_addrlen) == 0) {
            return s;
        }
        error = errno;
        if (error == EINPROGRESS) {
            error = 0;
            const auto state = platform::CheckConnect(s, static_cast<int>(timeoutMs), &error);
            if (state == platform::ConnectState::kConnected) {
                return s;
            }
            if (state == platform::ConnectState::kPending) {
                error = ETIMEDOUT;
            }
        }
        ::close(s);
    }
    errno = error;
    return -1;
}

IoResult SendExact(int fd, const uint8_t* data, size_t len, int stopFd, int timeoutMs) {
    return Exact(fd, len, POLLOUT, stopFd, timeoutMs, [&](size_t done) {
        return platform::SendNoSignal(fd, data + done, len - done, 0);
    });
}

IoResult RecvExact(int fd, uint8_t* data, size_t len, int stopFd, int timeoutMs) {
    return Exact(fd, len, POLLIN, stopFd, timeoutMs,
                 [&](size_t done) { return ::recv(fd, data + done, len - done, 0); });
}

ssize_t PeekMessageSize(int fd) {
    for (;;) {
        const ssize_t n = ::recv(fd, nullptr, 0, MSG_PEEK | MSG_TRUNC | MSG_DONTWAIT);
        if (n >= 0 || errno != EINTR) {
            return n;
        }
    }
}

}  // namespace usbip
