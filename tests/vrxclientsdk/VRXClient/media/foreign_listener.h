// Another program that listens on a TCP port of a loopback address (127.0.0.1
// unless told): a forked child
// that binds, listens and waits to be killed. Lets tests show that a server
// of ours never mistakes a stranger's listener for its own.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>

namespace mediatest {

class ForeignListener {
public:
    // Listens on `address`:`port` (port 0: a free one, see Port()).
    explicit ForeignListener(uint16_t port = 0, const char* address = "127.0.0.1") {
        int ready[2];
        if (::pipe(ready) != 0) {
            return;
        }
        // The socket is made before the fork so that the parent learns the port;
        // only the child keeps it open.
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(port);
        if (s < 0 || ::inet_pton(AF_INET, address, &sa.sin_addr) != 1 ||
            ::bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(s, 4) != 0) {
            ::close(ready[0]);
            ::close(ready[1]);
            if (s >= 0) {
                ::close(s);
            }
            return;
        }
        socklen_t len = sizeof sa;
        ::getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len);
        m_port = ntohs(sa.sin_port);
        m_pid = ::fork();
        if (m_pid == 0) {
            // Only async-signal-safe calls from here on.
            ::close(ready[0]);
            char c = 'r';
            (void)!::write(ready[1], &c, 1);
            for (;;) {
                ::pause();
            }
        }
        ::close(s);
        ::close(ready[1]);
        char c = 0;
        if (m_pid < 0 || ::read(ready[0], &c, 1) != 1) {
            m_port = 0;
        }
        ::close(ready[0]);
    }
    ~ForeignListener() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
        }
    }
    ForeignListener(const ForeignListener&) = delete;
    ForeignListener& operator=(const ForeignListener&) = delete;

    // The port listened on; 0 when the child could not be set up.
    uint16_t Port() const { return m_port; }

private:
    pid_t m_pid = -1;
    uint16_t m_port = 0;
};

}  // namespace mediatest
