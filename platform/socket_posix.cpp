#include "platform/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

ssize_t SendNoSignal(SocketHandle s, const void* data, size_t len, int flags) {
    return ::send(s, data, len, flags | MSG_NOSIGNAL);
}

void CloseSocketHandle(SocketHandle s) {
    if (s != kInvalidSocket) {
        ::close(s);
    }
}

void ShutdownSocket(SocketHandle s) {
    if (s != kInvalidSocket) {
        ::shutdown(s, SHUT_RDWR);
    }
}

int SetNonBlocking(SocketHandle s, bool on) {
    int flags = ::fcntl(s, F_GETFL, 0);
    if (flags < 0) {
        return -errno;
    }
    flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return ::fcntl(s, F_SETFL, flags) < 0 ? -errno : 0;
}

bool ParseIPv4(const std::string& text, in_addr* out) {
    return ::inet_pton(AF_INET, text.c_str(), out) == 1;
}

std::string FormatIPv4(in_addr addr) {
    char buf[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &addr, buf, sizeof buf);
    return buf;
}

std::string FormatIPv4(uint32_t networkOrder) {
    in_addr addr{};
    addr.s_addr = networkOrder;
    return FormatIPv4(addr);
}

namespace {

ConnectState StateFromRevents(SocketHandle s, short revents, int* error) {
    if (revents == 0) {
        return ConnectState::kPending;
    }
    int soError = 0;
    socklen_t len = sizeof soError;
    if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &soError, &len) < 0) {
        soError = errno;
    }
    if (soError != 0) {
        *error = soError;
        return ConnectState::kFailed;
    }
    if (revents & (POLLERR | POLLNVAL)) {
        *error = ECONNREFUSED;
        return ConnectState::kFailed;
    }
    return ConnectState::kConnected;
}

}  // namespace

ConnectState CheckConnect(SocketHandle s, int timeoutMs, int* error) {
    pollfd p{s, POLLOUT, 0};
    int n = ::poll(&p, 1, timeoutMs);
    if (n < 0) {
        *error = errno;
        return errno == EINTR ? ConnectState::kPending : ConnectState::kFailed;
    }
    return StateFromRevents(s, n == 0 ? 0 : p.revents, error);
}

int PollConnects(std::span<const SocketHandle> sockets, std::span<ConnectState> states,
                 int timeoutMs, std::span<int> errors) {
    std::vector<pollfd> fds;
    std::vector<size_t> index;
    for (size_t i = 0; i < sockets.size(); ++i) {
        if (states[i] != ConnectState::kFailed && sockets[i] != kInvalidSocket) {
            const short events = states[i] == ConnectState::kPending ? POLLOUT : POLLIN;
            fds.push_back(pollfd{sockets[i], events, 0});
            index.push_back(i);
        }
    }
    if (fds.empty()) {
        return 0;
    }
    int n = ::poll(fds.data(), fds.size(), timeoutMs);
    if (n < 0) {
        return errno == EINTR ? 0 : -errno;
    }
    int changed = 0;
    for (size_t k = 0; k < fds.size() && n > 0; ++k) {
        if (states[index[k]] != ConnectState::kPending) {
            continue;  // connected: watched for bytes only
        }
        ConnectState st = StateFromRevents(fds[k].fd, fds[k].revents, &errors[index[k]]);
        if (st != ConnectState::kPending) {
            states[index[k]] = st;
            ++changed;
        }
    }
    return changed;
}

int PollReadable(SocketHandle s, int timeoutMs) {
    pollfd p{s, POLLIN, 0};
    int n = ::poll(&p, 1, timeoutMs);
    if (n < 0) {
        return errno == EINTR ? 0 : -errno;
    }
    return n > 0 ? 1 : 0;
}

}  // namespace platform
