// What the standard controls tell their dialog.
//
// A control sends each notice to its parent window at once (WindowManager::
// Send) as a kCommand message: code = the control's id, param = one of the
// codes below (the values the dialogs of this program were written
// against), param2 = the row, column or position the notice is about (0
// where none). A dialog that leaves kCommand to the default handling ends
// its modal loop for ids kCommandOk (1) and kCommandCancel (2), so buttons 1
// and 2 close a modal dialog by default.
// Plain constants, usable anywhere.
#pragma once

#include <cstdint>

namespace platform {

// Button: clicked (released inside, or Space).
inline constexpr int64_t kBnClicked = 0;
// Combo box: the user picked another item; param2 = its index.
inline constexpr int64_t kCbnSelChange = 1;
// Edit: its text changed (typing, cutting, pasting or SetText).
inline constexpr int64_t kEnChange = 0x300;
// List: clicked (param2 = the row, -1 below the last row), double-clicked
// (param2 = the row), a column header clicked (param2 = the column).
inline constexpr int64_t kNmClick = -2;
inline constexpr int64_t kNmDblClk = -3;
inline constexpr int64_t kLvnColumnClick = -108;

// Trackbar: how the position moved; param2 = the new position.
inline constexpr int64_t kTbLineUp = 0;         // Left or Up arrow: one step down
inline constexpr int64_t kTbLineDown = 1;       // Right or Down arrow: one step up
inline constexpr int64_t kTbPageUp = 2;         // Page Up, or a click before the thumb
inline constexpr int64_t kTbPageDown = 3;       // Page Down, or a click after the thumb
inline constexpr int64_t kTbThumbPosition = 4;  // the dragged thumb was let go
inline constexpr int64_t kTbThumbTrack = 5;     // the thumb is being dragged
inline constexpr int64_t kTbTop = 6;            // Home: the minimum
inline constexpr int64_t kTbBottom = 7;         // End: the maximum
inline constexpr int64_t kTbEndTrack = 8;       // the key or the button was released

}  // namespace platform
