// One step of the main window's bottom-edge resize: the pointer more than
// 10 pixels below the bottom edge grows the window by 20 pixels, more than
// 10 pixels above shrinks it by 20, within 206 to 406 pixels; nothing while
// resizing is locked or the pointer is not more than 5 pixels inside both
// side edges. Pure function.
#pragma once

namespace pemuapp {

inline constexpr int kResizeStep = 20;
inline constexpr int kMinWindowHeight = 206;
inline constexpr int kMaxWindowHeight = 406;

struct ResizeInput {
    int left = 0, right = 0;  // the window's side edges (screen)
    int top = 0, height = 0;  // its top edge and height (screen)
    int pointerX = 0, pointerY = 0;
    bool locked = false;
};

// The new height (the old one when nothing changes).
constexpr int ResizeByBottomEdge(const ResizeInput& in) {
    const int bottom = in.top + in.height;
    if (in.locked || in.pointerX <= in.left + 5 || in.pointerX >= in.right - 5) {
        return in.height;
    }
    if (in.pointerY > bottom + 10 && in.height + kResizeStep <= kMaxWindowHeight) {
        return in.height + kResizeStep;
    }
    if (in.pointerY < bottom - 10 && in.height - kResizeStep >= kMinWindowHeight) {
        return in.height - kResizeStep;
    }
    return in.height;
}

}  // namespace pemuapp
