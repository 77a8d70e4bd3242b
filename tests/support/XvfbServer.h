// A private virtual X server for a test: Xvfb on a free display number (Xvfb
// picks it and reports it through -displayfd), started by the constructor
// and ended (and waited for) with the object. An optional compositing
// manager (xcompmgr) runs on it until the object ends.
//
// A server that does not report its display within the start time-out is
// ended; Ok() is then false and Error() says why, and the test skips.
// One object per test or test suite; not thread-safe.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace testsupport {

class XvfbServer {
public:
    // How long Xvfb may take to accept clients by default.
    static constexpr int kDefaultStartMs = 10000;

    // `screen` as Xvfb takes it ("640x480x24"); `extraArgs` are passed on
    // (for example "-extension", "DAMAGE").
    explicit XvfbServer(const std::string& screen = "640x480x24",
                        const std::vector<std::string>& extraArgs = {},
                        int startMs = kDefaultStartMs) {
        Start(screen, extraArgs, startMs);
    }
    // A 24-bit screen of width x height.
    XvfbServer(int width, int height, int startMs = kDefaultStartMs)
        : XvfbServer(std::to_string(width) + "x" + std::to_string(height) + "x24", {}, startMs) {}

    ~XvfbServer() {
        Stop(m_compositor);
        Stop(m_pid);
    }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // ":N", or empty when the server did not start.
    const std::string& Display() const { return m_display; }
    bool Ok() const { return !m_display.empty(); }
    // Why the server is not running (empty while it runs).
    const std::string& Error() const { return m_error; }

    // Makes this server the process's default display (DISPLAY).
    void MakeDefault() const { setenv("DISPLAY", m_display.c_str(), 1); }

    // Runs a compositing manager on the server until this object ends;
    // false when it cannot be started (or the server is not running).
    bool StartCompositor() {
        if (m_display.empty() || m_compositor > 0) {
            return false;
        }
        m_compositor = Spawn({"xcompmgr", "-d", m_display}, -1);
        return m_compositor > 0;
    }

private:
    void Start(const std::string& screen, const std::vector<std::string>& extraArgs, int startMs) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            m_error = "cannot make a pipe";
            return;
        }
        std::vector<std::string> args = {"Xvfb",      "-displayfd", std::to_string(fds[1]),
                                         "-screen",   "0",          screen,
                                         "-nolisten", "tcp",        "-noreset"};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        m_pid = Spawn(args, fds[1]);
        close(fds[1]);
        if (m_pid < 0) {
            close(fds[0]);
            m_error = "cannot fork";
            return;
        }
        // Xvfb writes the display number and a newline once it accepts clients.
        std::string number;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(startMs);
        while (number.empty() || number.back() != '\n') {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            pollfd p{fds[0], POLLIN, 0};
            if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) {
                m_error = "Xvfb did not report a display in time (is the xvfb package installed?)";
                break;
            }
            char c = 0;
            if (read(fds[0], &c, 1) != 1) {
                m_error =
                    "Xvfb ended before it reported a display (is the xvfb package installed?)";
                break;
            }
            number.push_back(c);
        }
        close(fds[0]);
        if (!m_error.empty()) {
            Stop(m_pid);
            return;
        }
        number.pop_back();
        m_display = ":" + number;
    }

    // Starts `args` with its output discarded; `keepFd` stays open in the
    // child (the -displayfd pipe). The child's pid, or -1.
    static pid_t Spawn(std::vector<std::string> args, int keepFd) {
        // Built before the fork: the child only makes system calls.
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        const pid_t pid = fork();
        if (pid != 0) {
            return pid;
        }
        // Quiet: with -displayfd Xvfb reports every display number in use
        // that it tries on the way to a free one.
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        if (keepFd >= 0) {
            fcntl(keepFd, F_SETFD, 0);  // survives the exec
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }

    static void Stop(pid_t& pid) {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        pid = -1;
    }

    pid_t m_pid = -1;
    pid_t m_compositor = -1;
    std::string m_display;
    std::string m_error;
};

}  // namespace testsupport
