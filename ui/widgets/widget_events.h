// The event codes of the skinned widgets.
//
// A widget inside another widget reports to its parent with a child code
// (CQKin::OnChildEvent); a widget at the top of the tree reports to its
// dialog's dispatcher (WidgetHost) with a flag word. Plain constants.
#pragma once

#include <cstdint>

namespace ui {

// Flag words to the dialog's dispatcher.
inline constexpr uint32_t kEventClick = 0;              // pressed and released inside
inline constexpr uint32_t kEventListScrolled = 2;       // the scrollbar moved the list
inline constexpr uint32_t kEventSelectionStepped = 32;  // the list's selection moved by a key
inline constexpr uint32_t kEventTextClick = 0x100000;   // text 30221 clicked
inline constexpr uint32_t kEventPress = 0x1000000;      // pressed, or a play button's look changed
inline constexpr uint32_t kEventPressLoginKey = 0x2000000;  // button 10274 pressed
inline constexpr uint32_t kEventHover = 0x4000000;          // the pointer entered
inline constexpr uint32_t kEventLeave = 0x8000000;          // the pointer left

// Codes of a child to its parent widget.
inline constexpr int kChildPressed = 0;  // pressed or double-clicked
inline constexpr int kChildClicked = 1;  // a button released inside

// Row codes the list view passes on to the main dialog unchanged.
constexpr bool IsListPassThroughCode(int code) {
    return code == 64 || code == 128 || code == 1024 || code == 2048;
}

// Mouse state of a widget (CQKin::MouseState).
inline constexpr uint32_t kMouseIdle = 0;
inline constexpr uint32_t kMousePressed = 1;
inline constexpr uint32_t kMouseDoubleClicked = 2;

}  // namespace ui
