// Numbers of the window layer's input rules.
#pragma once

#include <cstdint>

namespace platform {

// A second press of the same button on the same window within this time and
// this distance (pixels either way) is a double click; the common desktop
// default.
inline constexpr uint64_t kDoubleClickMs = 500;
inline constexpr int kDoubleClickSlop = 2;

// The pointer counts as resting (for kMouseHover) while it stays within this
// distance of where it came to rest.
inline constexpr int kHoverSlop = 2;

// Upper bound of the window table; creation fails beyond it.
inline constexpr uint32_t kMaxWindows = 65536;

// Result of RunModal when the modal loop did not end by EndModal: the
// window was destroyed, a quit request arrived, or the window was unfit.
inline constexpr int kModalAborted = -1;

}  // namespace platform
