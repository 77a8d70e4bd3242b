#include "usbshare/SocketHandle.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

#include "platform/clock.h"
#include "usbshare/SockAddrIn.h"

namespace porvane {

CSocketHandle::~CSocketHandle() {
    Close();
}

bool CSocketHandle::Connect(const char* host, const char* service, int family, uint32_t timeoutMs) {
    if (IsOpen()) {
        errno = EACCES;
        return false;
    }
    SockAddrIn peer;
    if (!peer.Resolve(host, service, family)) {
        errno = EHOSTUNREACH;
        return false;
    }
    const platform::SocketHandle s =
        ::socket(peer.GetFamily(), SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP);
    if (s < 0) {
        return false;
    }
    const int one = 1;
    ::setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    int error = 0;
    if (::connect(s, peer.Data(), peer.Size()) != 0) {
        if (errno != EINPROGRESS) {
            error = errno;
        } else if (platform::CheckConnect(s, static_cast<int>(timeoutMs), &error) ==
                   platform::ConnectState::kPending) {
            error = ETIMEDOUT;
        }
    }
    if (error != 0) {
        platform::CloseSocketHandle(s);
        errno = error;
        return false;
    }
    m_hSocket.store(s);
    return true;
}

int CSocketHandle::Read(uint8_t* buffer) {
    const platform::SocketHandle s = m_hSocket.load();
    if (s == platform::kInvalidSocket || !buffer) {
        errno = EBADF;
        return -1;
    }
    const ssize_t n = ::recv(s, buffer, kReadSize, 0);
    if (n == 0) {
        errno = ECONNRESET;
        return -1;
    }
    return n < 0 ? -1 : static_cast<int>(n);
}

int CSocketHandle::Write(const uint8_t* data, size_t len, uint32_t timeoutMs) {
    const platform::SocketHandle s = m_hSocket.load();
    if (s == platform::kInvalidSocket || !data) {
        errno = EBADF;
        return -1;
    }
    std::lock_guard<std::mutex> hold(m_writeLock);
    const uint64_t deadline = platform::NowMs() + timeoutMs;
    size_t sent = 0;
    while (sent < len) {
        const ssize_t n = platform::SendNoSignal(s, data + sent, len - sent, 0);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const uint64_t now = platform::NowMs();
            if (now >= deadline) {
                errno = ETIMEDOUT;
                return -1;
            }
            pollfd p{s, POLLOUT, 0};
            ::poll(&p, 1, static_cast<int>(std::min<uint64_t>(deadline - now, 100)));
            continue;
        }
        return -1;
    }
    return static_cast<int>(len);
}

void CSocketHandle::Shutdown() {
    platform::ShutdownSocket(m_hSocket.load());
}

void CSocketHandle::Close() {
    platform::CloseSocketHandle(m_hSocket.exchange(platform::kInvalidSocket));
}

}  // namespace porvane
