// A rectangle of screen pixels with exclusive right and bottom edges, as the
// capture code passes changed areas around. A plain value; any thread.
#pragma once

#include <algorithm>

namespace platform {

struct CaptureRect {
    int left = 0;
    int top = 0;
    int right = 0;   // exclusive
    int bottom = 0;  // exclusive

    static constexpr CaptureRect FromSize(int width, int height) { return {0, 0, width, height}; }

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }

    // The part of this rectangle inside `other` (empty when they don't meet).
    constexpr CaptureRect Intersect(const CaptureRect& other) const {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }

    // The smallest rectangle holding both; an empty side is ignored.
    constexpr CaptureRect Union(const CaptureRect& other) const {
        if (IsEmpty()) {
            return other;
        }
        if (other.IsEmpty()) {
            return *this;
        }
        return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                std::max(bottom, other.bottom)};
    }

    constexpr bool operator==(const CaptureRect&) const = default;
};

}  // namespace platform
