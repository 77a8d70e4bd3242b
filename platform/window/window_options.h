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

// kSizeNS: the north-south sizing arrow (a bottom edge that resizes).
enum class CursorShape : uint8_t { kArrow, kHand, kWait, kIBeam, kSizeNS };

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

// A visible child window of `parent` at `rect` (relative to the parent's
// client area), in the widget layer, its messages going to `handler`
// (borrowed). Callers set the layer, the tab stop or the control id on the
// result where they need them.
inline WindowOptions ChildWindowOptions(WindowId parent, Rect rect, WindowHandler* handler) {
    WindowOptions o;
    o.child = true;
    o.parent = parent;
    o.rect = rect;
    o.visible = true;
    o.handler = handler;
    return o;
}

// A dialog: a top-level window owned by `owner` (null: none) at `rect`
// (screen) whose keys move the focus (Tab) and answer it (Enter, Escape),
// its messages going to `handler` (borrowed). It starts hidden: a modal loop
// or the caller shows it once its controls exist.
inline WindowOptions DialogWindowOptions(WindowId owner, Rect rect, WindowHandler* handler) {
    WindowOptions o;
    o.parent = owner;
    o.rect = rect;
    o.dialogKeys = true;
    o.handler = handler;
    return o;
}

}  // namespace platform
