// Draws on an X screen from a connection of its own, as any other X client
// would: filled rectangles on the root window, and a sync so that the
// server has done it before the test looks.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <string>
#include <vector>

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

    // Puts a picture of B, G, R, X pixels (rows packed) at (x, y); 24-bit servers only.
    void PutPicture(int x, int y, int w, int h, const std::vector<uint8_t>& pixels) {
        std::vector<uint8_t> copy(pixels);  // XDestroyImage must not free the caller's
        const int screen = DefaultScreen(m_display);
        XImage* image = XCreateImage(m_display, DefaultVisual(m_display, screen), 24, ZPixmap, 0,
                                     reinterpret_cast<char*>(copy.data()), static_cast<unsigned>(w),
                                     static_cast<unsigned>(h), 32, w * 4);
        XPutImage(m_display, m_root, m_gc, image, 0, 0, x, y, static_cast<unsigned>(w),
                  static_cast<unsigned>(h));
        image->data = nullptr;
        XDestroyImage(image);
        XSync(m_display, False);
    }

    // The screen's pixels as B, G, R, X rows, read with XGetImage; 24-bit servers only.
    std::vector<uint8_t> Grab(int w, int h) {
        std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
        XImage* image = XGetImage(m_display, m_root, 0, 0, static_cast<unsigned>(w),
                                  static_cast<unsigned>(h), AllPlanes, ZPixmap);
        if (!image) {
            return {};
        }
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                uint8_t* o = &out[(static_cast<size_t>(y) * w + x) * 4];
                o[0] = static_cast<uint8_t>(p);
                o[1] = static_cast<uint8_t>(p >> 8);
                o[2] = static_cast<uint8_t>(p >> 16);
                o[3] = 0;
            }
        }
        XDestroyImage(image);
        return out;
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
