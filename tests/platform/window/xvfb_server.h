// A private virtual X server for one test program.
//
// Starts Xvfb on a free display number (Xvfb picks it and reports it through
// -displayfd) and ends it in the destructor. Tests that need a screen skip
// when no server can be started.
#pragma once

#include <sys/types.h>

#include <string>

namespace platform {

class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // Starts the server with one screen of the given size; false (with the
    // reason in Error()) when it does not come up within `startMs`.
    bool Start(int width, int height, int startMs = 10000);
    // Runs a compositing manager (xcompmgr) on the server until the server
    // object ends; false when it cannot be started.
    bool StartCompositor();
    // ":N" once started.
    const std::string& DisplayName() const { return m_display; }
    const std::string& Error() const { return m_error; }

private:
    pid_t m_pid = -1;
    pid_t m_compositor = -1;
    std::string m_display;
    std::string m_error;
};

}  // namespace platform
