// A raw TCP peer on 127.0.0.1 for tests of the connection core: it listens on
// an ephemeral port, accepts one connection and lets the test read and write
// bytes directly. Deliberately knows nothing of our framing.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace testsupport {

class LoopbackPeer {
public:
    LoopbackPeer() {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int one = 1;
        ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        ::listen(m_listen, 8);
        socklen_t len = sizeof sa;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&sa), &len);
        m_port = ntohs(sa.sin_port);
    }
    ~LoopbackPeer() {
        CloseClient();
        if (m_listen >= 0) {
            ::close(m_listen);
        }
    }
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    uint16_t Port() const { return m_port; }

    // Waits up to `ms` for the sender's connection; true when accepted.
    bool Accept(int ms = 5000) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) {
            return false;
        }
        m_client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        return m_client >= 0;
    }

    // Writes all bytes; false on failure.
    bool Send(const std::string& bytes) {
        size_t off = 0;
        while (off < bytes.size()) {
            ssize_t n = ::send(m_client, bytes.data() + off, bytes.size() - off, MSG_NOSIGNAL);
            if (n <= 0) {
                return false;
            }
            off += static_cast<size_t>(n);
        }
        return true;
    }

    // Reads exactly `count` bytes within `ms`; fewer on time-out or close.
    std::string Recv(size_t count, int ms = 5000) {
        std::string out;
        while (out.size() < count) {
            pollfd p{m_client, POLLIN, 0};
            if (::poll(&p, 1, ms) <= 0) {
                break;
            }
            char buf[4096];
            ssize_t n = ::recv(m_client, buf, std::min(sizeof buf, count - out.size()), 0);
            if (n <= 0) {
                break;
            }
            out.append(buf, static_cast<size_t>(n));
        }
        return out;
    }

    // Bytes that arrive within `ms` (for "nothing was sent" checks).
    std::string Drain(int ms) {
        std::string out;
        for (;;) {
            pollfd p{m_client, POLLIN, 0};
            if (::poll(&p, 1, ms) <= 0) {
                return out;
            }
            char buf[4096];
            ssize_t n = ::recv(m_client, buf, sizeof buf, 0);
            if (n <= 0) {
                return out;
            }
            out.append(buf, static_cast<size_t>(n));
        }
    }

    void CloseClient() {
        if (m_client >= 0) {
            ::close(m_client);
            m_client = -1;
        }
    }
    int ClientFd() const { return m_client; }
    int ListenFd() const { return m_listen; }

    // A port on 127.0.0.1 on which nothing listens (bound, then released).
    static uint16_t ClosedPort() {
        int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        socklen_t len = sizeof sa;
        ::getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len);
        ::close(s);
        return ntohs(sa.sin_port);
    }

private:
    int m_listen = -1;
    int m_client = -1;
    uint16_t m_port = 0;
};

}  // namespace testsupport
