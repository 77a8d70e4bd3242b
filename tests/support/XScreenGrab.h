// The whole screen of an X display as an opaque surface: what a person at
// the display would see (tests keep it as an artefact, the run script as a
// PNG). Null when the display cannot be opened or read.
#pragma once

#include <memory>
#include <string>

#include "platform/draw/surface.h"

// Xlib last: its macros clash with names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace testsupport {

inline std::unique_ptr<platform::Surface> GrabScreen(const std::string& display) {
    Display* d = XOpenDisplay(display.empty() ? nullptr : display.c_str());
    if (!d) {
        return nullptr;
    }
    const int screen = DefaultScreen(d);
    const int w = DisplayWidth(d, screen), h = DisplayHeight(d, screen);
    XImage* image = XGetImage(d, RootWindow(d, screen), 0, 0, static_cast<unsigned>(w),
                              static_cast<unsigned>(h), AllPlanes, ZPixmap);
    std::unique_ptr<platform::Surface> surface;
    if (image) {
        surface = platform::Surface::Create(w, h);
        uint32_t* px = surface->MutablePixels();
        const int stride = surface->Stride() / 4;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                px[y * stride + x] = 0xFF000000u | (XGetPixel(image, x, y) & 0xFFFFFFu);
            }
        }
        surface->MarkDirty();
        XDestroyImage(image);
    }
    XCloseDisplay(d);
    return surface;
}

}  // namespace testsupport
