// Draws on an X screen from a connection of its own, as any other X client
// would: filled rectangles on the root window, and a sync so that the
// server has done it before the test looks.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <string>

namespace testsupport {

class XScreenDrawer {
public:
    explicit XScreenDrawer(const std::string& display) {
        m_display = XOpenDisplay(display.c_str());
        if (m_display) {
            m_root = DefaultRootWindow(m_display);
            m_gc = XCreateGC(m_display, m_root, 0, nullptr);
        }
    }
    ~XScreenDrawer() {
        if (m_display) {
            XFreeGC(m_display, m_gc);
            XCloseDisplay(m_display);
        }
    }
    XScreenDrawer(const XScreenDrawer&) = delete;
    XScreenDrawer& operator=(const XScreenDrawer&) = delete;

    bool Ok() const { return m_display != nullptr; }
    ::Display* Display() const { return m_display; }

    // Fills (x, y, w, h) with the colour 0xRRGGBB and waits until the server did it.
    void Fill(int x, int y, int w, int h, uint32_t rgb) {
        XSetForeground(m_display, m_gc, Pixel(rgb));
        XFillRectangle(m_display, m_root, m_gc, x, y, static_cast<unsigned>(w),
                       static_cast<unsigned>(h));
        XSync(m_display, False);
    }

    // Moves the pointer to (x, y) and waits until the server did it.
    void MovePointer(int x, int y) {
        XWarpPointer(m_display, None, m_root, 0, 0, 0, 0, x, y);
        XSync(m_display, False);
    }

    // The server's pixel value for 0xRRGGBB in the default (TrueColor) visual.
    unsigned long Pixel(uint32_t rgb) {
        XColor color{};
        color.red = static_cast<unsigned short>(((rgb >> 16) & 0xFF) * 257);
        color.green = static_cast<unsigned short>(((rgb >> 8) & 0xFF) * 257);
        color.blue = static_cast<unsigned short>((rgb & 0xFF) * 257);
        XAllocColor(m_display, DefaultColormap(m_display, DefaultScreen(m_display)), &color);
        return color.pixel;
    }

private:
    ::Display* m_display = nullptr;
    Window m_root = 0;
    GC m_gc = nullptr;
};

}  // namespace testsupport
