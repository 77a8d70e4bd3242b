// The screen-capture library's interface: the capture object interface
// `CFrameBufferBase`, the captured block `IMAGE_BLOCK`, its colour formats,
// and the library's free functions.
//
// Capture sources (the X11 screen capturer, the picture-file source) derive
// from CFrameBufferBase; the capture pool drives them and receives their
// blocks through a callback on the source's own thread. This header holds no
// capture code of its own.
#pragma once

#include <cstddef>
#include <cstdint>

// Identifies a window to capture: an X11 window id (0 = none).
using CaptureWindow = unsigned long;

// A point on the screen, in pixels.
struct CapturePoint {
    int x = 0;
    int y = 0;
};

// Pixel layouts. Every 32-bit format keeps one pixel in 4 bytes and is
// described by its bytes in memory order; the 16-bit formats are one
// little-endian 16-bit word per pixel. Rows are top-down unless the block's
// bottom-up flag is set.
enum COLOR_FORMAT : uint32_t {
    COLOR_FORMAT_NONE = 0,
    // 16 bits: word 0RRRRRGGGGGBBBBB (5-5-5, top bit unused).
    COLOR_FORMAT_RGB555 = 1,
    // 16 bits: word RRRRRGGGGGGBBBBB (5-6-5).
    COLOR_FORMAT_RGB565 = 2,
    // 32 bits: B, G, R, X (X undefined). The X server's 24-bit depth on a
    // little-endian machine.
    COLOR_FORMAT_BGRX = 3,
    // 32 bits: B, G, R, A (A = 0xFF where the source has no alpha). Wanted by
    // the H.264 encoder and by 32-bit captures with alpha.
    COLOR_FORMAT_BGRA = 4,
    // 32 bits: R, G, B, X (X undefined).
    COLOR_FORMAT_RGBX = 5,
    // 32 bits: B, G, R, X, as the JPEG encoder reads them in its 24-bit colour
    // mode. Same bytes as COLOR_FORMAT_BGRX; kept apart because the JPEG path
    // asks for it by this value.
    COLOR_FORMAT_JPEG = 7,
};

// Bits per pixel of a colour format; 0 for an unknown value.
int ColorFormatBits(uint32_t format);

// State of a capture object.
enum STATUS : int {
    STATUS_STOPPED = 0,
    STATUS_RUNNING = 1,
    STATUS_PAUSED = 2,
};

// One captured rectangle. In-process only: it never crosses the wire as it is.
//
// As the capture library delivers it, `pBits` points at the captured frame's
// pixel (0, 0), `stride` is the frame's row length in bytes and `frameRows`
// its number of rows, all in `sourceFormat`; the rectangle (x1, y1)-(x2, y2)
// is the changed area inside that frame, and `colorFormat` equals
// `sourceFormat`. The frame stays valid until the callback returns.
//
// A consumer that wants the pixels elsewhere sets `colorFormat` (and, after
// aligning, the rectangle) on its copy and calls IBMask, which reads the
// frame through pBits/stride/frameRows/sourceFormat. A record that holds
// packed pixels of its own (a queued block) has pBits at the rectangle's
// first pixel, stride = its packed row length, frameRows = its height and
// sourceFormat = colorFormat.
struct IMAGE_BLOCK {
    unsigned char* pBits = nullptr;
    uint32_t et = 0;      // capture time stamp, passed through to the receiver
    uint32_t size = 0;    // bytes of the rectangle packed in colorFormat: bits * width * height / 8
    uint32_t width = 0;   // x2 - x1 + 1
    uint32_t height = 0;  // y2 - y1 + 1
    int32_t x1 = 0;       // inclusive corners; y1 < 0 marks a notice without pixels
    int32_t y1 = 0;
    int32_t x2 = 0;
    int32_t y2 = 0;
    uint8_t refresh = 0;                        // part of a full refresh
    uint8_t quality100 = 0;                     // send at the highest quality
    uint8_t bottomUp = 0;                       // rows are stored bottom-up
    uint32_t stride = 0;                        // bytes from one row at pBits to the next
    uint16_t fsn = 0;                           // fragment number within the frame, 1..ftot
    uint16_t ftot = 0;                          // fragments in the frame
    uint32_t colorFormat = COLOR_FORMAT_NONE;   // COLOR_FORMAT of the wanted pixels
    uint32_t sourceFormat = COLOR_FORMAT_NONE;  // COLOR_FORMAT of the pixels at pBits
    uint32_t frameRows = 0;                     // rows readable at pBits
};

// Called on the capture object's thread with every captured block; the
// result is ignored.
using CaptureCallback = unsigned long (*)(IMAGE_BLOCK* block, void* context);

// A capture source. The defaults do nothing: a source overrides what it
// supports. Not thread-safe: the owner (the capture pool) serialises calls;
// only the callback runs on the source's own thread.
class CFrameBufferBase {
public:
    CFrameBufferBase() = default;
    CFrameBufferBase(const CFrameBufferBase&) = delete;
    CFrameBufferBase& operator=(const CFrameBufferBase&) = delete;

    // Draw the mouse cursor into the captured picture.
    virtual void SetCursorMode(bool) {}
    // Screen number to capture.
    virtual void SetScreenCapture(int) {}
    // Window to capture instead of the screen; the flag captures the
    // window's client area only.
    virtual void SetWindowCapture(CaptureWindow, bool) {}
    // Raster-operation flags of the copy from the screen.
    virtual void SetBitBltFlag(unsigned long) {}
    // Rotation of the captured picture, in quarter turns.
    virtual void SetRotation(int) {}
    // Size of the configured screen or window after rotation.
    virtual void GetWindowSize(int& width, int& height) { width = height = 0; }
    // Bit depth of the configured screen or window.
    virtual void GetWindowBitCount(unsigned short& bits) { bits = 0; }
    virtual void SetMaxFPS(int) {}
    virtual void SetMaxMouseFPS(int) {}
    // Colour format of the delivered blocks.
    virtual void SetColorFormat(COLOR_FORMAT) {}
    // Distance in pixels under which changed rectangles are merged.
    virtual void SetRectDist(int) {}
    // Longest time in ms between two captured frames.
    virtual void SetMaxFrameTime(int) {}
    // Prepares capture at width x height; blocks go to `callback` with
    // `context`. Returns >= 0 on success, a negative code otherwise.
    virtual int Open(CaptureCallback, void*, int, int) { return -1; }
    // Width and height in pixels of the frame buffer the blocks come from.
    virtual void GetFrameBufSize(int& width, int& height) { width = height = 0; }
    // Time stamp of the first capture.
    virtual long GetFirstCapTime() { return 0; }
    // Starts delivering blocks on the source's thread; true on success.
    virtual bool Start() { return false; }
    // Delivers the whole picture once more with the refresh flag set.
    virtual void RefreshScreen() {}
    virtual void Pause() {}
    virtual void Resume() {}
    virtual STATUS GetStatus() { return STATUS_STOPPED; }
    virtual void SetCursorScale(double) {}
    virtual void SetCursorPosition(CapturePoint*) {}
    virtual void Stop() {}
    // Ends deliveries for good; no callback runs after Close returns.
    virtual void Close() {}
    virtual ~CFrameBufferBase() = default;
    virtual void SetBitCount(unsigned short) {}
    // With 16 bits per pixel: 5-6-5 instead of 5-5-5.
    virtual void Set16BitRGB(bool) {}
};

// Copies the block's rectangle (x1, y1)-(x2, y2) from the frame at pBits
// (see IMAGE_BLOCK) to `destination`, rows packed one after another, in the
// block's colorFormat. Writes exactly bits(colorFormat) * width * height / 8
// bytes where width and height are those of the rectangle; parts of the
// rectangle outside the frame are written black. Returns the bytes written,
// or 0 when the block is unusable (unknown format, empty rectangle, no pixels).
size_t IBMask(unsigned char* destination, IMAGE_BLOCK* block);

// Process-wide capture switches, read by capture sources when they open.
// The application sets mode 0 at start; every client facade sets 1.
void SetDXEMode(int mode);
// 1: pace captures to the display's refresh; 0: capture as soon as damage arrives.
void SetDXEVSync(int on);
int GetDXEMode();
int GetDXEVSync();
