#include "platform/x11/x_error_trap.h"

#include <X11/Xlib.h>

namespace platform {

namespace {

std::mutex g_trapLock;               // one armed trap in the process
int g_lastError = 0;                 // first error caught by the armed trap; guarded by g_trapLock
XErrorHandler g_previous = nullptr;  // the handler the armed trap replaced

int TrapHandler(Display*, XErrorEvent* event) {
    if (g_lastError == 0) {
        g_lastError = event->error_code;
    }
    return 0;
}

}  // namespace

XErrorTrap::XErrorTrap(_XDisplay* display) : m_hold(g_trapLock), m_display(display) {
    XSync(m_display, False);
    g_lastError = 0;
    g_previous = XSetErrorHandler(&TrapHandler);
}

XErrorTrap::~XErrorTrap() {
    if (m_enabled) {
        LastErrorAndDisable();
    }
}

int XErrorTrap::LastErrorAndDisable() {
    if (!m_enabled) {
        return m_lastError;
    }
    XSync(m_display, False);
    m_enabled = false;
    XSetErrorHandler(g_previous);
    m_lastError = g_lastError;
    m_hold.unlock();  // another trap may be armed from here on
    return m_lastError;
}

}  // namespace platform
