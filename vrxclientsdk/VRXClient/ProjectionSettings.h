// The settings of the next projection as the application gives them through
// the facade's setters: what to capture, how to scale and code it, the
// pre-buffer time. Each is kept within its range here (the clamps the
// receiver relies on); the facade reads them when a projection starts.
//
// Not the projection's state: what a start negotiated (the scale in use, the
// bit depth, the coding) stays with the facade.
//
// THREADING: every value is an atomic; any thread may set and read.
#pragma once

#include <atomic>
#include <boost/logic/tribool.hpp>
#include <cstdint>

#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"

class ProjectionSettings {
public:
    // Three-state settings as stored: 0 false, 1 true, 2 indeterminate.
    static constexpr int kIndeterminate = 2;
    static int FromTribool(boost::logic::tribool value);
    static boost::logic::tribool ToTribool(int stored);
    static const char* TriboolText(boost::logic::tribool value);

    // --- what is captured -----------------------------------------------------
    void SetWindow(CaptureWindow window, bool clientAreaOnly) {
        m_window = window;
        m_windowFlag = clientAreaOnly;
    }
    CaptureWindow Window() const { return m_window.load(); }
    bool WindowClientAreaOnly() const { return m_windowFlag.load(); }
    void SetScreen(int screen) { m_screen = screen; }
    int Screen() const { return m_screen.load(); }
    void SetRotation(int rotation) { m_rotation = rotation; }
    int Rotation() const { return m_rotation.load(); }
    void SetCursorMode(boost::logic::tribool mode) { m_cursorMode = FromTribool(mode); }
    int CursorMode() const { return m_cursorMode.load(); }  // stored form

    // --- how it is scaled -------------------------------------------------------
    // At least 1.
    void SetEnlargeFactor(int factor);
    int EnlargeFactor() const { return m_enlargeFactor.load(); }
    void SetAspectRatio(boost::logic::tribool keep) { m_aspectRatio = FromTribool(keep); }
    int AspectRatio() const { return m_aspectRatio.load(); }  // stored form
    void SetImageScaler(bool on) { m_imageScaler = on; }
    bool ImageScaler() const { return m_imageScaler.load(); }
    // Negative offsets are stored as 0.
    void SetDeOverscanOffset(int x, int y);
    int DeOverscanX() const { return m_deOverscanX.load(); }
    int DeOverscanY() const { return m_deOverscanY.load(); }
    void SetDemandScaler(uint8_t scaler) { m_demandScaler = scaler; }
    uint8_t DemandScaler() const { return m_demandScaler.load(); }
    // Clamped to 1..4 (not a number: 1). Returns the stored value.
    double SetCursorScale(double scale);
    double CursorScale() const { return m_cursorScale.load(); }

    // --- how it is coded ----------------------------------------------------------
    void SetAlpha32(bool on) { m_alpha32 = on; }
    bool Alpha32() const { return m_alpha32.load(); }
    void SetFormat16(int format) { m_format16 = format; }
    int Format16() const { return m_format16.load(); }
    void SetImageCoding(int coding) { m_imageCoding = coding; }
    int ImageCoding() const { return m_imageCoding.load(); }
    // Clamped to 1..100. Returns the stored value.
    int SetJpegQuality(int quality);
    int JpegQuality() const { return m_jpegQuality.load(); }
    void SetPreBufTime(uint16_t ms) { m_preBufTime = ms; }
    uint16_t PreBufTime() const { return m_preBufTime.load(); }

private:
    std::atomic<CaptureWindow> m_window{0};
    std::atomic<bool> m_windowFlag{true};
    std::atomic<int> m_screen{0};
    std::atomic<int> m_rotation{0};
    std::atomic<int> m_cursorMode{kIndeterminate};
    std::atomic<int> m_enlargeFactor{1};
    std::atomic<int> m_aspectRatio{kIndeterminate};
    std::atomic<bool> m_imageScaler{true};
    std::atomic<int> m_deOverscanX{0};
    std::atomic<int> m_deOverscanY{0};
    std::atomic<uint8_t> m_demandScaler{0};
    std::atomic<double> m_cursorScale{1.0};
    std::atomic<bool> m_alpha32{false};
    std::atomic<int> m_format16{0};
    std::atomic<int> m_imageCoding{0};
    std::atomic<int> m_jpegQuality{85};
    std::atomic<uint16_t> m_preBufTime{0};
};
