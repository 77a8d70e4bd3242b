// Vertical scrolling of the row lists (the report list and the combo box's
// drop-down list): the maths of rows and thumbs as plain functions, and
// VScrollBar, the bar both lists draw and drag.
//
// Rows are counted from 0; `top` is the first row in view and `page` the
// number of rows the view holds. Plain values and functions, any thread;
// VScrollBar draws on the user-interface thread.
#pragma once

#include "platform/draw/geometry.h"

namespace platform {

class Painter;

struct ScrollState {
    int total = 0;  // rows
    int page = 1;   // rows in view
    int top = 0;    // first row in view
};

// The thumb's start (from the top of the track) and length, in pixels.
struct ThumbSpan {
    int start = 0;
    int length = 0;
    constexpr bool operator==(const ThumbSpan&) const = default;
};

// The shortest thumb, so that a long list's thumb can still be grabbed.
inline constexpr int kMinThumbLength = 16;

// The largest top row: the last page ends with the last row.
int MaxTop(const ScrollState& s);
int ClampTop(const ScrollState& s, int top);
// The top row that brings `row` into view with the least movement.
int TopToShow(const ScrollState& s, int row);
// The row at y pixels below the first row in view, or -1 when no row is
// there (above the view, or below the last row).
int RowAt(int y, int rowHeight, int top, int rowCount);

// The thumb of a track `trackLength` pixels long; the whole track when
// every row is in view.
ThumbSpan ThumbOf(const ScrollState& s, int trackLength);
// The top row for a thumb dragged so that it starts at `thumbStart`.
int TopForThumb(const ScrollState& s, int trackLength, int thumbStart);

// The bar at the right edge of a list: a click on the track pages, the
// thumb drags. Coordinates are the list window's client coordinates.
class VScrollBar {
public:
    void SetTrack(const Rect& track) { m_track = track; }
    const Rect& Track() const { return m_track; }
    Rect ThumbRect(const ScrollState& s) const;

    // A press at `p`: false when it is not on the bar; else pages or starts
    // a drag, and sets s.top.
    bool Press(Point p, ScrollState& s);
    // While dragging: moves s.top with the pointer; false when not dragging.
    bool Drag(Point p, ScrollState& s);
    void Release() { m_dragging = false; }
    bool Dragging() const { return m_dragging; }

    // Draws the bar with its client origin at `origin` (top-level coordinates).
    void Paint(Painter& painter, Point origin, const ScrollState& s) const;

private:
    Rect m_track;
    bool m_dragging = false;
    int m_grab = 0;  // pointer y minus the thumb's start when the drag began
};

}  // namespace platform
