// The program's own tooltip window: CTipWnd, one per process.
//
// Tips are registered per window (AddTip: a rectangle of its client area,
// or an empty one for all of it, and the text). The tip window polls the
// pointer: every kPollMs (timer 38) it finds the window under the pointer
// and the first tip that holds the pointer; a new tip shows after
// kShowDelayMs at rest (timer 40), 7 pixels right of and below the pointer
// and kept on the screen, for kShowForMs (timer 39). A mouse button held
// down keeps a tip from showing, and a press on the tip hides it. A tip
// without text never shows. It is drawn as the standard tooltip is
// (PaintToolTipBox).
//
// Ownership: the object owns its window; tips name their windows by id, and
// a tip of a window that has gone never matches again.
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/draw/geometry.h"
#include "platform/window/window_id.h"

namespace ui {

class TipWindow;

class CTipWnd {
public:
    static constexpr uint32_t kPollTimer = 38;
    static constexpr uint32_t kPollMs = 91;
    static constexpr uint32_t kHideTimer = 39;
    static constexpr uint32_t kShowForMs = 2000;
    static constexpr uint32_t kShowTimer = 40;
    static constexpr uint32_t kShowDelayMs = 600;

    CTipWnd();
    ~CTipWnd();
    CTipWnd(const CTipWnd&) = delete;
    CTipWnd& operator=(const CTipWnd&) = delete;

    // Makes the hidden tip window "TipWnd", owned by `parent`, and starts
    // polling. False without a window manager, when it exists already, or
    // when the layer refuses it.
    bool CreateTipWindow(platform::WindowId parent);
    // Asks for a layered window (constant alpha 255) where the display has them.
    void SetLayered();
    bool IsLayered() const;

    // A tip for `window`: `rect` in its client coordinates; a rectangle
    // with left = right and top = bottom stands for the whole window.
    void AddTip(platform::WindowId window, const platform::Rect& rect, std::string text);

    platform::WindowId Window() const;
    bool IsShown() const;

private:
    // The state, made on first use (nullptr without a window manager).
    TipWindow* Impl();

    std::unique_ptr<TipWindow> m_impl;
};

}  // namespace ui
