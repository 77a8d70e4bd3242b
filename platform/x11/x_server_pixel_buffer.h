// The pixels of one X drawable (the root window or a window), read through
// one reused shared-memory image.
//
// When the server offers shared pixmaps, each changed rectangle is copied
// into the pixmap on the server side and read straight from shared memory;
// otherwise the whole drawable is pulled with XShmGetImage, or, without the
// MIT-SHM extension, each rectangle is read with XGetImage. Pixels are
// handed out as 32-bit B, G, R, X whatever the server's own layout (a 16-bit
// server is converted through its colour masks).
//
// Belongs to the thread that uses its XDisplay.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/x11/capture_rect.h"
#include "platform/x11/x_display.h"

struct _XImage;
struct _XGC;

namespace platform {

class XServerPixelBuffer {
public:
    enum class Path { kNone, kShmPixmap, kShmImage, kGetImage };

    XServerPixelBuffer();
    ~XServerPixelBuffer();
    XServerPixelBuffer(const XServerPixelBuffer&) = delete;
    XServerPixelBuffer& operator=(const XServerPixelBuffer&) = delete;

    // Reads the drawable's size and format and sets up shared memory. Call
    // again after a resize. `display` must outlive this object. `allowShm`
    // false forces the plain XGetImage path. False when the drawable is gone
    // or its pixel format is not one we read (fewer than 16 bits per pixel).
    bool Init(_XDisplay* display, XId window, bool allowShm = true);
    void Release();

    bool IsInitialized() const { return m_path != Path::kNone; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    Path CurrentPath() const { return m_path; }

    // The shared image's pixels, when the server writes B, G, R, X rows
    // there (`*stride` bytes each): a frame may be those pixels, valid until
    // the next Init or Release. nullptr otherwise.
    uint8_t* SharedPixels(int* stride) const;

    // Copies the rectangles (already clipped to the drawable) from the
    // server into `frame` (B, G, R, X, `stride` bytes per row, the
    // drawable's size). When `frame` is SharedPixels() the server's write
    // is all there is to it. False on an X error; the frame is then partly old.
    bool Capture(const CaptureRect* rects, int count, uint8_t* frame, int stride);

private:
    struct Shm;
    void ReleasePixmap();
    bool InitShm(void* visual, int depth);
    void CopyFromImage(const _XImage* image, int imageX, int imageY, const CaptureRect& rect,
                       uint8_t* frame, int stride) const;
    bool IsBgrx(const _XImage* image) const;

    _XDisplay* m_display = nullptr;
    XId m_window = 0;
    int m_width = 0;
    int m_height = 0;
    Path m_path = Path::kNone;
    std::unique_ptr<Shm> m_shm;  // the shared segment, when attached
    bool m_shmAttached = false;
    _XImage* m_image = nullptr;  // the shared image
    XId m_pixmap = 0;            // shared pixmap over the same memory, when offered
    _XGC* m_gc = nullptr;
    unsigned long m_redMask = 0, m_greenMask = 0, m_blueMask = 0;
};

}  // namespace platform
