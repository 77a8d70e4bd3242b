// How to make a window: WindowOptions, passed to WindowManager::Create.
//
// Top-level windows (dialogs, popups, menus, tooltips, shadows) are real
// windows of the display; child windows (skinned widgets and the standard
// controls of a dialog) live only in this process and are hit-tested here.
// Plain value.
#pragma once

#include <cstdint>
#include <string>

#include "platform/draw/geometry.h"
#include "platform/window/window_id.h"

namespace platform {

class WindowHandler;

enum class CursorShape : uint8_t { kArrow, kHand, kWait, kIBeam };

// Stacking among siblings: every control lies above every widget; inside one
// layer a later-created sibling lies above an earlier one.
enum class WindowLayer : uint8_t { kWidget, kControl };

struct WindowOptions {
    // Child: the parent window (required). Top-level: its owner, or null.
    WindowId parent;
    bool child = false;
    // Child: relative to the parent's client area. Top-level: screen.
    Rect rect;
    std::string className;
    std::string title;
    uint32_t controlId = 0;
    bool visible = false;
    bool enabled = true;

    // Top-level only.
    bool topmost = false;        // above all normal windows
    bool popup = false;          // menu or tooltip: not managed, never takes the focus
    bool toolWindow = false;     // no task-bar entry
    bool clickThrough = false;   // input goes to what lies below (drop shadows)
    bool perPixelAlpha = false;  // presented alpha is shown (needs layered windows)
    bool dialogKeys = false;     // Tab moves the focus, Enter and Escape send kCommandOk/Cancel
    bool messageOnly = false;    // never on screen: only messages and timers (timer windows)

    // Child only.
    WindowLayer layer = WindowLayer::kWidget;
    bool tabStop = false;  // takes part in Tab order

    bool doubleClicks = true;  // a quick second press arrives as kDoubleClick
    CursorShape cursor = CursorShape::kArrow;

    // Borrowed; see WindowHandler. May be null (the window then only exists).
    WindowHandler* handler = nullptr;
};

}  // namespace platform
