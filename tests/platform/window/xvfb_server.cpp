#include "tests/platform/window/xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace platform {

XvfbServer::~XvfbServer() {
    if (m_compositor > 0) {
        ::kill(m_compositor, SIGTERM);
        ::waitpid(m_compositor, nullptr, 0);
    }
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
}

bool XvfbServer::Start(int width, int height, int startMs) {
    int fds[2];
    if (::pipe(fds) != 0) {
        m_error = "cannot make a pipe";
        return false;
    }
    std::string fdText = std::to_string(fds[1]);
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    m_pid = ::fork();
    if (m_pid < 0) {
        m_error = "cannot fork";
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (m_pid == 0) {
        ::close(fds[0]);
        int devNull = ::open("/dev/null", O_WRONLY);
        if (devNull >= 0) {
            ::dup2(devNull, STDOUT_FILENO);
            ::dup2(devNull, STDERR_FILENO);
        }
        ::execlp("Xvfb", "Xvfb", "-displayfd", fdText.c_str(), "-screen", "0", screen.c_str(),
                 "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    // Xvfb writes its display number and a newline once it accepts clients.
    std::string number;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(startMs);
    while (number.empty() || number.back() != '\n') {
        int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        deadline - std::chrono::steady_clock::now())
                                        .count());
        pollfd p{fds[0], POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, left) <= 0) {
            m_error = "Xvfb did not report a display in time (is the xvfb package installed?)";
            break;
        }
        char c = 0;
        if (::read(fds[0], &c, 1) != 1) {
            m_error = "Xvfb ended before it reported a display (is the xvfb package installed?)";
            break;
        }
        number.push_back(c);
    }
    ::close(fds[0]);
    if (!m_error.empty()) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
        return false;
    }
    number.pop_back();
    m_display = ":" + number;
    return true;
}

bool XvfbServer::StartCompositor() {
    if (m_display.empty() || m_compositor > 0) {
        return false;
    }
    m_compositor = ::fork();
    if (m_compositor < 0) {
        return false;
    }
    if (m_compositor == 0) {
        int devNull = ::open("/dev/null", O_WRONLY);
        if (devNull >= 0) {
            ::dup2(devNull, STDOUT_FILENO);
            ::dup2(devNull, STDERR_FILENO);
        }
        ::execlp("xcompmgr", "xcompmgr", "-d", m_display.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return true;
}

}  // namespace platform
