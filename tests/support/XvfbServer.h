// A private virtual X server for one test: Xvfb on a free display number,
// started by the test and ended (and waited for) when the object goes.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace testsupport {

class XvfbServer {
public:
    // `screen` as Xvfb takes it ("640x480x24"); `extraArgs` are passed on
    // (for example "-extension", "DAMAGE").
    explicit XvfbServer(const std::string& screen = "640x480x24",
                        const std::vector<std::string>& extraArgs = {}) {
        int fds[2];
        if (pipe(fds) != 0) {
            return;
        }
        m_pid = fork();
        if (m_pid == 0) {
            close(fds[0]);
            // Quiet: with -displayfd it reports every display number in use
            // that it tries on the way to a free one.
            const int null = open("/dev/null", O_WRONLY);
            if (null >= 0) {
                dup2(null, 1);
                dup2(null, 2);
            }
            std::vector<std::string> args = {"Xvfb",      "-displayfd", std::to_string(fds[1]),
                                             "-screen",   "0",          screen,
                                             "-nolisten", "tcp",        "-noreset"};
            args.insert(args.end(), extraArgs.begin(), extraArgs.end());
            std::vector<char*> argv;
            for (std::string& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            execvp("Xvfb", argv.data());
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes the display number once it accepts connections.
        std::string number;
        char c = 0;
        while (m_pid > 0 && read(fds[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        close(fds[0]);
        if (!number.empty()) {
            m_display = ":" + number;
        }
    }

    ~XvfbServer() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            int status = 0;
            waitpid(m_pid, &status, 0);
        }
    }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // ":N", or empty when the server did not start.
    const std::string& Display() const { return m_display; }
    bool Ok() const { return !m_display.empty(); }

    // Makes this server the process's default display (DISPLAY).
    void MakeDefault() const { setenv("DISPLAY", m_display.c_str(), 1); }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

}  // namespace testsupport
