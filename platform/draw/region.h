// An area of pixels kept as row spans: the shape of a window, the area a
// hit test accepts, the outline a drop shadow follows.
//
// Each span covers the pixels [left, right) of one row y. Spans are kept
// sorted by row, then by left edge, and never overlap or touch, so two
// regions covering the same pixels compare equal. A region is a plain value;
// copy it freely. Usable on any thread (no shared state).
#pragma once

#include <vector>

#include "platform/draw/geometry.h"

namespace platform {

class Region {
public:
    struct Span {
        int y = 0;
        int left = 0;
        int right = 0;  // exclusive
        constexpr bool operator==(const Span&) const = default;
    };

    // The empty region.
    Region() = default;

    // Every pixel of `rect` (empty for an empty rectangle).
    static Region FromRect(const Rect& rect);

    // The rectangle with its corners rounded by quarter ellipses of the given
    // full width and height (clamped to the rectangle's size). A pixel is in
    // the region when its centre lies inside the rounded outline. Corner
    // sizes below 2 give the plain rectangle.
    static Region FromRoundRect(const Rect& rect, int ellipseWidth, int ellipseHeight);

    // Adds every pixel of `other` to this region.
    void Union(const Region& other);

    // Moves the region by (dx, dy).
    void Offset(int dx, int dy);

    bool Contains(int x, int y) const;
    bool IsEmpty() const { return m_spans.empty(); }

    // The smallest rectangle holding the region; empty for an empty region.
    Rect Bounds() const;

    // The spans, sorted by row and then by left edge.
    const std::vector<Span>& Spans() const { return m_spans; }

    // The region as rectangles: neighbouring rows with the same spans become
    // one rectangle. Sorted top to bottom, then left to right; what a window
    // system wants for a window shape.
    std::vector<Rect> ToRects() const;

    bool operator==(const Region&) const = default;

private:
    // Sorts the spans and merges overlapping and touching spans of a row.
    void Normalize();

    std::vector<Span> m_spans;
};

}  // namespace platform
