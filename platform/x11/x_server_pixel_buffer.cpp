#include "platform/x11/x_server_pixel_buffer.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <bit>
#include <cstring>

#include "platform/x11/x_error_trap.h"

namespace platform {

struct XServerPixelBuffer::Shm {
    XShmSegmentInfo info{};
};

namespace {

// Scales one colour channel, taken out of `pixel` with `mask`, to 8 bits.
inline uint8_t Channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) {
        return 0;
    }
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    unsigned long v = (pixel & mask) >> shift;
    if (bits >= 8) {
        return static_cast<uint8_t>(v >> (bits - 8));
    }
    // Repeat the high bits so that a full channel stays 0xFF.
    unsigned long out = 0;
    for (int filled = 0; filled < 8; filled += bits) {
        out = (out << bits) | v;
    }
    return static_cast<uint8_t>(out >> (((8 + bits - 1) / bits) * bits - 8));
}

}  // namespace

XServerPixelBuffer::XServerPixelBuffer() = default;

XServerPixelBuffer::~XServerPixelBuffer() {
    Release();
}

void XServerPixelBuffer::ReleasePixmap() {
    if (m_gc) {
        XFreeGC(m_display, m_gc);
        m_gc = nullptr;
    }
    if (m_pixmap) {
        XFreePixmap(m_display, m_pixmap);
        m_pixmap = 0;
    }
}

void XServerPixelBuffer::Release() {
    if (!m_display) {
        return;
    }
    ReleasePixmap();
    if (m_shmAttached) {
        XShmDetach(m_display, &m_shm->info);
        m_shmAttached = false;
    }
    if (m_image) {
        m_image->data = nullptr;  // the shared segment is not Xlib's to free
        XDestroyImage(m_image);
        m_image = nullptr;
    }
    if (m_shm && m_shm->info.shmaddr && m_shm->info.shmaddr != reinterpret_cast<char*>(-1)) {
        shmdt(m_shm->info.shmaddr);
    }
    m_shm.reset();
    m_path = Path::kNone;
    XSync(m_display, False);
}

bool XServerPixelBuffer::Init(_XDisplay* display, XId window, bool allowShm) {
    Release();
    m_display = display;
    m_window = window;
    XWindowAttributes attributes{};
    {
        XErrorTrap trap(display);
        const Status ok = XGetWindowAttributes(display, window, &attributes);
        if (trap.LastErrorAndDisable() != 0 || !ok) {
            return false;
        }
    }
    m_width = attributes.width;
    m_height = attributes.height;
    m_redMask = attributes.visual->red_mask;
    m_greenMask = attributes.visual->green_mask;
    m_blueMask = attributes.visual->blue_mask;
    if (attributes.depth < 15 || m_width <= 0 || m_height <= 0) {
        return false;
    }
    if (allowShm && InitShm(attributes.visual, attributes.depth)) {
        return true;
    }
    m_path = Path::kGetImage;
    return true;
}

bool XServerPixelBuffer::InitShm(void* visualPointer, int depth) {
    Visual* visual = static_cast<Visual*>(visualPointer);
    int major = 0, minor = 0;
    Bool pixmaps = False;
    if (!XShmQueryVersion(m_display, &major, &minor, &pixmaps)) {
        return false;
    }
    XErrorTrap trap(m_display);
    m_shm = std::make_unique<Shm>();
    XShmSegmentInfo& shm = m_shm->info;
    m_image =
        XShmCreateImage(m_display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &shm,
                        static_cast<unsigned>(m_width), static_cast<unsigned>(m_height));
    if (!m_image) {
        return false;
    }
    const size_t bytes = static_cast<size_t>(m_image->bytes_per_line) * m_image->height;
    shm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shm.shmid < 0) {
        trap.LastErrorAndDisable();
        Release();
        return false;
    }
    shm.shmaddr = static_cast<char*>(shmat(shm.shmid, nullptr, 0));
    shm.readOnly = False;
    if (shm.shmaddr == reinterpret_cast<char*>(-1)) {
        shmctl(shm.shmid, IPC_RMID, nullptr);
        trap.LastErrorAndDisable();
        Release();
        return false;
    }
    m_image->data = shm.shmaddr;
    m_shmAttached = XShmAttach(m_display, &shm);
    XSync(m_display, False);
    // Marked for removal now: the segment goes away with the last detach,
    // even when the process ends abruptly.
    shmctl(shm.shmid, IPC_RMID, nullptr);
    if (!m_shmAttached || trap.LastErrorAndDisable() != 0) {
        Release();
        return false;
    }
    m_path = Path::kShmImage;
    if (pixmaps && XShmPixmapFormat(m_display) == ZPixmap) {
        XErrorTrap pixmapTrap(m_display);
        m_pixmap =
            XShmCreatePixmap(m_display, m_window, shm.shmaddr, &shm, static_cast<unsigned>(m_width),
                             static_cast<unsigned>(m_height), static_cast<unsigned>(depth));
        XGCValues values{};
        values.subwindow_mode = IncludeInferiors;  // the root's pixels include its children
        values.graphics_exposures = False;
        m_gc = XCreateGC(m_display, m_pixmap, GCSubwindowMode | GCGraphicsExposures, &values);
        if (pixmapTrap.LastErrorAndDisable() == 0 && m_pixmap && m_gc) {
            m_path = Path::kShmPixmap;
        } else {
            ReleasePixmap();
        }
    }
    return true;
}

bool XServerPixelBuffer::IsBgrx(const _XImage* image) const {
    return image->bits_per_pixel == 32 && image->byte_order == LSBFirst &&
           image->red_mask == 0xff0000 && image->green_mask == 0xff00 && image->blue_mask == 0xff;
}

void XServerPixelBuffer::CopyFromImage(const _XImage* image, int imageX, int imageY,
                                       const CaptureRect& rect, uint8_t* frame, int stride) const {
    const int width = rect.Width();
    for (int y = rect.top; y < rect.bottom; ++y) {
        uint8_t* dst = frame + static_cast<size_t>(y) * stride + static_cast<size_t>(rect.left) * 4;
        const int sy = y - rect.top + imageY;
        if (IsBgrx(image)) {
            const char* src = image->data + static_cast<size_t>(sy) * image->bytes_per_line +
                              static_cast<size_t>(imageX) * 4;
            std::memcpy(dst, src, static_cast<size_t>(width) * 4);
            continue;
        }
        // Other layouts (16-bit servers): through the masks, pixel by pixel.
        for (int x = 0; x < width; ++x, dst += 4) {
            const unsigned long pixel = XGetPixel(const_cast<_XImage*>(image), imageX + x, sy);
            dst[0] = Channel(pixel, m_blueMask);
            dst[1] = Channel(pixel, m_greenMask);
            dst[2] = Channel(pixel, m_redMask);
            dst[3] = 0;
        }
    }
}

uint8_t* XServerPixelBuffer::SharedPixels(int* stride) const {
    if ((m_path != Path::kShmPixmap && m_path != Path::kShmImage) || !m_image || !IsBgrx(m_image)) {
        return nullptr;
    }
    *stride = m_image->bytes_per_line;
    return reinterpret_cast<uint8_t*>(m_image->data);
}

bool XServerPixelBuffer::Capture(const CaptureRect* rects, int count, uint8_t* frame, int stride) {
    if (m_path == Path::kNone) {
        return false;
    }
    const bool inPlace = m_image && frame == reinterpret_cast<uint8_t*>(m_image->data);
    XErrorTrap trap(m_display);
    switch (m_path) {
        case Path::kShmPixmap:
            for (int i = 0; i < count; ++i) {
                const CaptureRect& r = rects[i];
                XCopyArea(m_display, m_window, m_pixmap, m_gc, r.left, r.top,
                          static_cast<unsigned>(r.Width()), static_cast<unsigned>(r.Height()),
                          r.left, r.top);
            }
            XSync(m_display, False);
            for (int i = 0; !inPlace && i < count; ++i) {
                CopyFromImage(m_image, rects[i].left, rects[i].top, rects[i], frame, stride);
            }
            break;
        case Path::kShmImage:
            if (!XShmGetImage(m_display, m_window, m_image, 0, 0, AllPlanes)) {
                return false;
            }
            for (int i = 0; !inPlace && i < count; ++i) {
                CopyFromImage(m_image, rects[i].left, rects[i].top, rects[i], frame, stride);
            }
            break;
        case Path::kGetImage:
            for (int i = 0; i < count; ++i) {
                const CaptureRect& r = rects[i];
                XImage* image =
                    XGetImage(m_display, m_window, r.left, r.top, static_cast<unsigned>(r.Width()),
                              static_cast<unsigned>(r.Height()), AllPlanes, ZPixmap);
                if (!image) {
                    return false;
                }
                CopyFromImage(image, 0, 0, r, frame, stride);
                XDestroyImage(image);
            }
            break;
        case Path::kNone:
            break;
    }
    return trap.LastErrorAndDisable() == 0;
}

}  // namespace platform
