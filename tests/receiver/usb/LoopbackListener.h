// The listening socket of a simulated receiver service on a loopback
// address, with the system's choice of port.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>

namespace receiver_sim {

// Listens on `address`; the socket, or -1. *port gets the port chosen.
inline int ListenOnLoopback(const char* address, uint16_t* port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    socklen_t len = sizeof a;
    if (::inet_pton(AF_INET, address, &a.sin_addr) != 1 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        ::close(fd);
        return -1;
    }
    *port = ntohs(a.sin_port);
    return fd;
}

// Accepts connections until `stop` is set (checked every 20 ms) and hands
// each one to `onConnection`.
template <typename OnConnection>
void AcceptUntil(int listenFd, const std::atomic<bool>& stop, OnConnection onConnection) {
    while (!stop) {
        pollfd p{listenFd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) {
            continue;
        }
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            onConnection(fd);
        }
    }
}

}  // namespace receiver_sim
