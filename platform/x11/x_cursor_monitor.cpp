#include "platform/x11/x_cursor_monitor.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include "platform/x11/x_error_trap.h"

namespace platform {

XCursorMonitor::XCursorMonitor(XDisplay* display, XId root) : m_display(display), m_root(root) {}

XCursorMonitor::~XCursorMonitor() {
    if (m_eventBase >= 0) {
        m_display->RemoveEventHandler(m_eventBase + XFixesCursorNotify, this);
        XFixesSelectCursorInput(m_display->display(), m_root, 0);
    }
}

bool XCursorMonitor::Init() {
    int errorBase = 0;
    Display* display = m_display->display();
    if (!XFixesQueryExtension(display, &m_eventBase, &errorBase)) {
        m_eventBase = -1;
        return false;
    }
    m_display->AddEventHandler(m_eventBase + XFixesCursorNotify, this);
    XFixesSelectCursorInput(display, m_root, XFixesDisplayCursorNotifyMask);
    ReadShape();
    return true;
}

void XCursorMonitor::HandleXEvent(const XEvent& event) {
    if (event.type == m_eventBase + XFixesCursorNotify) {
        ReadShape();
    }
}

void XCursorMonitor::ReadShape() {
    XFixesCursorImage* image = nullptr;
    {
        XErrorTrap trap(m_display->display());
        image = XFixesGetCursorImage(m_display->display());
        if (trap.LastErrorAndDisable() != 0 && image) {
            XFree(image);
            image = nullptr;
        }
    }
    if (!image) {
        return;
    }
    m_shape.width = image->width;
    m_shape.height = image->height;
    m_shape.hotX = image->xhot;
    m_shape.hotY = image->yhot;
    // Xlib hands the pixels out as longs (64 bits here), one per pixel.
    const size_t count = static_cast<size_t>(image->width) * image->height;
    m_shape.argb.resize(count);
    for (size_t i = 0; i < count; ++i) {
        m_shape.argb[i] = static_cast<uint32_t>(image->pixels[i]);
    }
    ++m_serial;
    XFree(image);
}

bool XCursorMonitor::QueryPosition(int* x, int* y) const {
    Window root = 0, child = 0;
    int winX = 0, winY = 0;
    unsigned int mask = 0;
    return XQueryPointer(m_display->display(), m_root, &root, &child, x, y, &winX, &winY, &mask);
}

}  // namespace platform
