#include "platform/x11/x_display.h"

#include <X11/Xlib.h>

#include <algorithm>

namespace platform {

std::unique_ptr<XDisplay> XDisplay::Open(const std::string& name) {
    Display* display = XOpenDisplay(name.empty() ? nullptr : name.c_str());
    if (!display) {
        return nullptr;
    }
    return std::unique_ptr<XDisplay>(new XDisplay(display));
}

int XDisplay::ConnectionFd() const {
    return ConnectionNumber(m_display);
}

XDisplay::~XDisplay() {
    XCloseDisplay(m_display);
}

void XDisplay::AddEventHandler(int type, EventHandler* handler) {
    m_handlers[type].push_back(handler);
}

void XDisplay::RemoveEventHandler(int type, EventHandler* handler) {
    auto it = m_handlers.find(type);
    if (it == m_handlers.end()) {
        return;
    }
    std::erase(it->second, handler);
    if (it->second.empty()) {
        m_handlers.erase(it);
    }
}

void XDisplay::ProcessPendingEvents() {
    // XPending flushes the output buffer and reads what the socket holds.
    int pending = XPending(m_display);
    for (int i = 0; i < pending; ++i) {
        XEvent event;
        XNextEvent(m_display, &event);
        // By index, looking the list up again each time: a handler may
        // remove itself (or another) while it runs.
        for (size_t h = 0;; ++h) {
            auto it = m_handlers.find(event.type);
            if (it == m_handlers.end() || h >= it->second.size()) {
                break;
            }
            it->second[h]->HandleXEvent(event);
        }
    }
}

}  // namespace platform
