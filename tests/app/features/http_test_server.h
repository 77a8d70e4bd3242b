// A loopback HTTP server for the features' tests (cpp-httplib) on a port the
// system picks. Routes are set before Start(); the server stops when the
// object ends.
#pragma once

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

namespace featuretest {

class HttpTestServer {
public:
    HttpTestServer() = default;
    ~HttpTestServer() { Stop(); }
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    httplib::Server& Routes() { return m_server; }

    // Binds to 127.0.0.1 and serves on a thread; false when no port could be had.
    bool Start() {
        m_port = m_server.bind_to_any_port("127.0.0.1");
        if (m_port <= 0) {
            return false;
        }
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        // A stop before the loop runs would be lost and the join would hang.
        while (!m_server.is_running()) {
            std::this_thread::yield();
        }
        return true;
    }
    void Stop() {
        if (m_thread.joinable()) {
            m_server.stop();
            m_thread.join();
        }
    }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(m_port); }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
};

// An address where nothing listens: a port the system gave and took back.
inline std::string AbsentServerBase() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof(a);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);  // never listened: a connection is refused
    return "http://127.0.0.1:" + std::to_string(ntohs(a.sin_port));
}

}  // namespace featuretest
