// A tooltip: a small text that shows when the pointer rests on a tool (a
// window, or a rectangle of one).
//
// The owner of the tools relays their mouse messages (RelayEvent, typically
// from PreTranslate). After kShowDelayMs at rest on a tool the tip shows
// below the pointer, kept inside the work area, as a non-activating popup
// that takes no clicks: pale yellow, a black border and black text three
// pixels in, wrapped at kMaxWidth. It hides when the pointer leaves the
// tool (a relayed move elsewhere, a relayed leave, or the tooltip's own
// check while it waits or shows), on a press, and after kShowForMs; it
// does not come back for the same tool until the pointer has left it. An
// inactive tooltip never shows. Timing runs on the window layer's clock.
//
// Not a control of a ControlSet: any widget or dialog may own one.
// Ownership: the tooltip owns its popup window and its tools' texts; tool
// windows are named by id and may die before the tooltip.
//
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/controls/control.h"
#include "platform/draw/geometry.h"
#include "platform/window/window_message.h"

namespace platform {

class Painter;
class ToolTipWindow;
class WindowManager;

// The tooltip's look, shared with the program's own tip window: the box a
// text needs (wrapped at ToolTip::kMaxWidth, three pixels inside the border
// on each side) and the box drawn at `box`: pale yellow, a black one-pixel
// border and black text.
Size ToolTipBoxSize(std::string_view text, const ControlFont& font);
void PaintToolTipBox(Painter& painter, const Rect& box, std::string_view text,
                     const ControlFont& font);

class ToolTip {
public:
    static constexpr uint32_t kShowDelayMs = 500;
    static constexpr uint32_t kShowForMs = 5000;
    static constexpr int kMaxWidth = 400;

    // A tooltip whose popup belongs to the top-level of `owner`. `wm` is
    // borrowed and must outlive the tooltip or be destroyed before it.
    ToolTip(WindowManager& wm, WindowId owner);
    ~ToolTip();
    ToolTip(const ToolTip&) = delete;
    ToolTip& operator=(const ToolTip&) = delete;

    // A tool: `area` in the window's client coordinates, empty for all of
    // it. Adding an existing (window, id) replaces it. False for a dead window.
    bool AddTool(WindowId window, uint32_t toolId, const Rect& area, std::string text);
    bool SetToolText(WindowId window, uint32_t toolId, std::string text);
    bool RemoveTool(WindowId window, uint32_t toolId);
    bool HasTool(WindowId window, uint32_t toolId) const;

    void Activate(bool active);
    bool IsActive() const;

    // A mouse message of a tool's window (moves, presses, wheel, leave);
    // anything else is ignored.
    void RelayEvent(const Message& msg);

    void SetFont(const ControlFont& font);

    // The popup and what it shows.
    bool IsShown() const;
    std::string ShownText() const;
    WindowId PopupWindow() const;

private:
    std::unique_ptr<ToolTipWindow> m_impl;
};

}  // namespace platform
