// The login-code overlay: a small black window pinned to the top-left
// corner of the screen, above every other window, that shows this sender's
// login code to the people in the room (sender-server mode). One at a time:
// showing a code replaces the overlay that is up. Its window (class
// "k7rmosdcls", a topmost popup tool window of 340 x 58 at 0,0) redraws
// every 50 ms. Hiding destroys the window before its fonts go.
// THREADING: user-interface thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/draw/text_style.h"
#include "platform/window/window_handler.h"
#include "platform/window/window_manager.h"

namespace pemuapp {

inline constexpr const char* kOverlayClass = "k7rmosdcls";
inline constexpr int kOverlayWidth = 340, kOverlayHeight = 58;
inline constexpr uint32_t kOverlayTimerId = 999;

// a * b / c rounded to the nearest integer (halves away from zero).
constexpr int MulDiv(int a, int b, int c) {
    const long long p = static_cast<long long>(a) * b;
    return static_cast<int>(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}
// The label's and the code's font heights in pixels at `dpi`.
constexpr int OverlayLabelHeight(int dpi) {
    return MulDiv(36, dpi, 130);
}
constexpr int OverlayCodeHeight(int dpi) {
    return MulDiv(36, dpi, 80);
}

class LoginCodeOverlay final : public platform::WindowHandler {
public:
    explicit LoginCodeOverlay(platform::WindowManager& wm, int dpi = 96);
    ~LoginCodeOverlay() override;
    LoginCodeOverlay(const LoginCodeOverlay&) = delete;
    LoginCodeOverlay& operator=(const LoginCodeOverlay&) = delete;

    // Shows `code` (replacing the overlay that is up); false when the
    // window could not be made.
    bool Show(const std::string& code);
    // 1 when an overlay was removed, 0 when none was up.
    int Hide();
    platform::WindowId Window() const { return m_window; }
    const std::string& Code() const { return m_code; }

    int64_t OnMessage(platform::WindowId self, const platform::Message& msg) override;

private:
    void Paint();

    platform::WindowManager& m_wm;
    int m_dpi;
    platform::WindowId m_window;
    std::unique_ptr<platform::TextStyle> m_labelFont;
    std::string m_code;
};

}  // namespace pemuapp
