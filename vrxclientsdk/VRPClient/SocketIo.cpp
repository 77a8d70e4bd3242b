#include "vrxclientsdk/VRPClient/SocketIo.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/clock.h"

namespace socketio {

namespace {

// A wait for room or for bytes lasts at most this long before the deadline
// and the caller's flag are looked at again.
constexpr int kStepMs = 30;

int ToInt(size_t n) {
    return static_cast<int>(std::min<size_t>(n, 0x7fffffff));
}

}  // namespace

int SendAll(SocketHolder& socket, const void* bytes, size_t length, int flags, bool* sentSome,
            uint32_t deadlineMs) {
    boost::recursive_mutex::scoped_lock guard(socket.sendLock);
    if (sentSome) {
        *sentSome = false;
    }
    const char* p = static_cast<const char*>(bytes);
    size_t sent = 0;
    const uint64_t start = platform::NowMs();
    while (sent < length) {
        const platform::SocketHandle s = socket.handle.load();
        if (s == platform::kInvalidSocket) {
            errno = EBADF;
            return -1;
        }
        ssize_t n = platform::SendNoSignal(s, p + sent, length - sent, flags | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            if (sentSome) {
                *sentSome = true;
            }
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return -1;  // hard error: reset, broken pipe, closed descriptor
        }
        const uint64_t elapsed = platform::NowMs() - start;
        if (elapsed >= deadlineMs) {
            errno = ETIMEDOUT;
            return -1;
        }
        pollfd pfd{s, POLLOUT, 0};
        ::poll(&pfd, 1, static_cast<int>(std::min<uint64_t>(deadlineMs - elapsed, kStepMs)));
    }
    return ToInt(length);
}

int RecvAll(SocketHolder& socket, void* buffer, size_t count, int flags,
            const std::atomic<bool>* keepGoing, uint32_t deadlineMs) {
    boost::recursive_mutex::scoped_lock guard(socket.recvLock);
    char* out = static_cast<char*>(buffer);
    const bool peek = (flags & kRecvPeek) != 0;
    ByteString& stash = socket.peekStash;
    if (stash.size() >= count) {
        std::memcpy(out, stash.data(), count);
        if (!peek) {
            stash.erase(0, count);
        }
        return ToInt(count);
    }
    size_t got = stash.size();
    std::memcpy(out, stash.data(), got);
    if (!peek) {
        stash.clear();
    }
    const int recvFlags = (flags & ~kRecvPeek) | MSG_DONTWAIT;
    const uint64_t start = platform::NowMs();
    while (got < count) {
        const platform::SocketHandle s = socket.handle.load();
        if (s == platform::kInvalidSocket) {
            errno = EBADF;
            return -1;
        }
        ssize_t n = ::recv(s, out + got, count - got, recvFlags);
        if (n > 0) {
            if (peek) {
                stash.append(out + got, static_cast<size_t>(n));
            }
            got += static_cast<size_t>(n);
            continue;
        }
        // The rest can never come once the peer closed or the socket failed:
        // the bytes already delivered are no use to the caller then.
        if (n == 0) {
            errno = 0;  // the peer closed: no socket error to report
            return 0;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return -1;
        }
        const uint64_t elapsed = platform::NowMs() - start;
        if (elapsed >= deadlineMs || (keepGoing && !keepGoing->load())) {
            if (got == 0) {
                errno = ETIMEDOUT;
                return -1;
            }
            return ToInt(got);
        }
        pollfd pfd{s, POLLIN, 0};
        ::poll(&pfd, 1, static_cast<int>(std::min<uint64_t>(deadlineMs - elapsed, kStepMs)));
    }
    return ToInt(got);
}

void Close(SocketHolder& socket) {
    boost::recursive_mutex::scoped_lock send(socket.sendLock);
    boost::recursive_mutex::scoped_lock recv(socket.recvLock);
    boost::mutex::scoped_lock handle(socket.handleLock);
    platform::SocketHandle old = socket.handle.exchange(platform::kInvalidSocket);
    platform::CloseSocketHandle(old);
    socket.peekStash.clear();
}

void Shutdown(SocketHolder& socket) {
    boost::mutex::scoped_lock handle(socket.handleLock);
    platform::ShutdownSocket(socket.handle.load());
}

}  // namespace socketio
