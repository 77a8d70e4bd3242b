// Captures an X screen (or one window) into a frame kept in memory, and tells
// which parts of it changed since the previous capture.
//
// Changes come from the DAMAGE extension: damage notifications are collected
// into an XFixes region, its rectangles are widened to the block grid,
// clipped to the screen, and only they are copied from the server into the
// frame. The whole frame is captured on the first call, after the screen
// changed size, after RequestFullFrame(), and every time when the server has
// no DAMAGE (or the options turn it off).
//
// Not thread-safe: create it, capture and destroy it on one thread. The frame
// belongs to the capturer and stays valid until the next CaptureFrame().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/x11/update_region.h"
#include "platform/x11/x_display.h"
#include "platform/x11/x_server_pixel_buffer.h"

namespace platform {

// The captured picture: 32-bit B, G, R, X pixels, rows top-down.
struct CapturedFrame {
    int width = 0;
    int height = 0;
    int stride = 0;  // bytes per row
    std::vector<uint8_t> pixels;
    // The shared-memory image the server writes into, when it holds B, G, R,
    // X rows: then it is the frame itself, and `pixels` stays empty.
    uint8_t* shared = nullptr;
    uint8_t* Data() { return shared ? shared : pixels.data(); }
    const uint8_t* Data() const { return shared ? shared : pixels.data(); }
};

class ScreenCapturerX11 : public XDisplay::EventHandler {
public:
    enum class Result {
        kSuccess,         // the frame and the updated region are current
        kErrorTemporary,  // try again later (the server refused a read)
        kErrorPermanent,  // the captured window is gone
    };

    struct Options {
        std::string display;  // X display name; empty: the DISPLAY variable
        int screen = 0;       // X screen number
        XId window = 0;       // a window to capture instead of the screen (0: none)
        bool useDamage = true;
        bool useShm = true;
        int blockGrid = 16;  // changed areas are widened to this grid
    };

    // Connects and prepares capture; nullptr when the display can't be
    // opened or the screen/window can't be read.
    static std::unique_ptr<ScreenCapturerX11> Create(const Options& options);

    ~ScreenCapturerX11() override;
    ScreenCapturerX11(const ScreenCapturerX11&) = delete;
    ScreenCapturerX11& operator=(const ScreenCapturerX11&) = delete;

    // Pumps pending X events, then copies the changed areas into the frame.
    // On success Updated() holds them (possibly none).
    Result CaptureFrame();

    // The next capture copies and reports the whole frame.
    void RequestFullFrame() { m_fullFrameNeeded = true; }

    // True when damage has been reported since the last capture (or a full
    // frame is due): a capture now would find changes.
    bool HasPendingChanges() const { return m_damaged || m_fullFrameNeeded || !m_damageOk; }

    const CapturedFrame& Frame() const { return m_frame; }
    CapturedFrame& MutableFrame() { return m_frame; }
    const UpdateRegion& Updated() const { return m_updated; }
    // Size of the screen or window as the server reports it now.
    int Width() const { return m_buffer.Width(); }
    int Height() const { return m_buffer.Height(); }
    bool UsesDamage() const { return m_damageOk; }
    XServerPixelBuffer::Path PixelPath() const { return m_buffer.CurrentPath(); }

    XDisplay* Display() const { return m_display.get(); }
    XId Root() const { return m_root; }

    void HandleXEvent(const _XEvent& event) override;

private:
    ScreenCapturerX11(std::unique_ptr<XDisplay> display, const Options& options);
    bool Init();
    bool InitDamage();
    void ReleaseDamage();
    bool ResizeFrame();

    std::unique_ptr<XDisplay> m_display;
    Options m_options;
    XId m_root = 0;
    XId m_target = 0;
    XServerPixelBuffer m_buffer;
    CapturedFrame m_frame;
    UpdateRegion m_updated{{}, 1};
    std::vector<CaptureRect> m_copyRects;

    int m_damageEventBase = -1;
    XId m_damage = 0;
    XId m_damageRegion = 0;
    bool m_damageOk = false;
    bool m_damaged = false;
    bool m_fullFrameNeeded = true;
    bool m_sizeChanged = false;
    bool m_targetGone = false;  // the captured window was destroyed
};

}  // namespace platform
