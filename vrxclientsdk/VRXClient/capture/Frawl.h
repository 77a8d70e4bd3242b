// CFrawl: the screen-capture library's capture object, over X11.
//
// Captures one X screen (or window) with ScreenCapturerX11, turns it into
// the output picture (rotation, scaling, 16-bit formats, the mouse cursor)
// and hands each frame's changed rectangles to the callback, on a capture
// thread of its own, as IMAGE_BLOCKs fsn = 1..ftot that point into the
// output picture. Frames are paced by the maximum frame rate; a cursor that
// only moves is followed at the mouse frame rate.
//
// What it is not: an encoder or a queue. The callback must copy what it
// wants before it returns (IBMask); the picture changes afterwards.
//
// Threads: the owner (the capture pool) calls the operations from any one
// thread at a time; the callback runs on the capture thread. The callback
// must not call Stop() or Close() of the object that calls it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/x11/screen_capturer_x11.h"
#include "vrxclientsdk/VRXClient/capture/CursorPainter.h"
#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"
#include "vrxclientsdk/VRXClient/capture/FrameTransformer.h"

namespace platform {
class XCursorMonitor;
}

class CFrawl : public CFrameBufferBase {
public:
    CFrawl();
    ~CFrawl() override;

    void SetCursorMode(bool on) override;
    void SetScreenCapture(int screen) override;
    void SetWindowCapture(CaptureWindow window, bool clientOnly) override;
    void SetRotation(int quarterTurns) override;
    // Size of the configured screen or window after rotation; 0, 0 when the
    // display can't be reached.
    void GetWindowSize(int& width, int& height) override;
    void GetWindowBitCount(unsigned short& bits) override;
    void SetMaxFPS(int fps) override;
    void SetMaxMouseFPS(int fps) override;
    void SetColorFormat(COLOR_FORMAT format) override;
    void SetRectDist(int distance) override;
    void SetMaxFrameTime(int ms) override;
    // Connects to the display and prepares an output of width x height (0 or
    // less: the window size). Returns 0, or kFrawlNoDisplay / kFrawlBadOutput.
    int Open(CaptureCallback callback, void* context, int width, int height) override;
    void GetFrameBufSize(int& width, int& height) override;
    long GetFirstCapTime() override;
    // Starts (or resumes) deliveries; the first frame is the whole picture.
    bool Start() override;
    // Delivers the whole picture once with the refresh flag set, also while paused.
    void RefreshScreen() override;
    void Pause() override;
    void Resume() override;
    STATUS GetStatus() override;
    void SetCursorScale(double scale) override;
    // Draws the cursor at this point of the screen instead of where the
    // pointer is; nullptr follows the pointer again.
    void SetCursorPosition(CapturePoint* point) override;
    // Ends the capture thread; Start() begins again with a whole picture.
    void Stop() override;
    // Stop(), then lets go of the display.
    void Close() override;
    void SetBitCount(unsigned short bits) override;
    void Set16BitRGB(bool on) override;

    // The X display to use instead of the DISPLAY variable (tests, the benchmark).
    void SetDisplayName(const std::string& name);

private:
    struct Settings {
        bool cursor = true;
        int screen = 0;
        CaptureWindow window = 0;
        int rotation = 0;
        int maxFps = 30;
        int maxMouseFps = 70;
        int maxFrameTime = 250;
        int rectDist = 32;
        double cursorScale = 1.0;
        bool cursorFixed = false;
        CapturePoint cursorPoint;
        uint32_t format = COLOR_FORMAT_BGRX;
        unsigned short bits = 32;
        bool rgb565 = false;
        std::string display;
    };

    void Run();
    void Wake();
    // One turn of the capture thread: captures the screen (or, without
    // `captureScreen`, only follows the cursor) and delivers the changes.
    // Returns false when capture can't go on.
    bool CaptureAndDeliver(const Settings& settings, bool refresh, uint64_t now,
                           bool captureScreen);
    void Deliver(const platform::UpdateRegion& region, bool refresh, uint32_t stamp);
    void StopThread();
    platform::ScreenCapturerX11::Options CaptureOptions() const;
    static uint32_t FormatFor(unsigned short bits, bool rgb565);

    // Guards the settings, the status and the flags below; the capture
    // objects belong to the capture thread while it runs.
    mutable std::mutex m_lock;
    Settings m_settings;
    STATUS m_status = STATUS_STOPPED;
    bool m_stopRequested = false;
    bool m_refreshRequested = false;
    bool m_fullFrameDue = true;
    int m_frameWidth = 0;
    int m_frameHeight = 0;
    int m_windowWidth = 0;  // the screen after rotation, as last captured
    int m_windowHeight = 0;
    long m_firstCapTime = 0;
    int m_wakeFd = -1;  // eventfd that breaks the capture thread's wait

    CaptureCallback m_callback = nullptr;
    void* m_context = nullptr;

    std::unique_ptr<platform::ScreenCapturerX11> m_capturer;
    std::unique_ptr<platform::XCursorMonitor> m_cursor;
    FrameTransformer m_transformer;
    CursorPainter m_cursorPainter;
    platform::UpdateRegion m_outputRegion{{}, 1};
    int m_cursorX = -1;
    int m_cursorY = -1;
    uint64_t m_cursorSerial = 0;
    uint64_t m_lastFrameMs = 0;
    uint64_t m_lastCursorMs = 0;

    std::unique_ptr<std::thread> m_thread;
};
