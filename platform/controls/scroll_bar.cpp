#include "platform/controls/scroll_bar.h"

#include <algorithm>

#include "platform/controls/control_look.h"

namespace platform {

int MaxTop(const ScrollState& s) {
    return std::max(0, s.total - std::max(1, s.page));
}

int ClampTop(const ScrollState& s, int top) {
    return std::clamp(top, 0, MaxTop(s));
}

int TopToShow(const ScrollState& s, int row) {
    if (row < 0) {
        return ClampTop(s, s.top);
    }
    if (row < s.top) {
        return ClampTop(s, row);
    }
    int page = std::max(1, s.page);
    if (row >= s.top + page) {
        return ClampTop(s, row - page + 1);
    }
    return ClampTop(s, s.top);
}

int RowAt(int y, int rowHeight, int top, int rowCount) {
    if (y < 0 || rowHeight <= 0) {
        return -1;
    }
    int row = top + y / rowHeight;
    return row < rowCount ? row : -1;
}

ThumbSpan ThumbOf(const ScrollState& s, int trackLength) {
    int maxTop = MaxTop(s);
    if (maxTop == 0 || trackLength <= 0) {
        return {0, std::max(0, trackLength)};
    }
    int length = static_cast<int>(static_cast<long long>(trackLength) * s.page / s.total);
    length = std::clamp(length, std::min(kMinThumbLength, trackLength), trackLength);
    int room = trackLength - length;
    int start = static_cast<int>(static_cast<long long>(room) * ClampTop(s, s.top) / maxTop);
    return {start, length};
}

int TopForThumb(const ScrollState& s, int trackLength, int thumbStart) {
    int maxTop = MaxTop(s);
    int room = trackLength - ThumbOf(s, trackLength).length;
    if (maxTop == 0 || room <= 0) {
        return 0;
    }
    int start = std::clamp(thumbStart, 0, room);
    // Rounded to the nearest row, so that the thumb follows the pointer.
    return ClampTop(s,
                    static_cast<int>((static_cast<long long>(start) * maxTop + room / 2) / room));
}

Rect VScrollBar::ThumbRect(const ScrollState& s) const {
    ThumbSpan t = ThumbOf(s, m_track.Height());
    return {m_track.left, m_track.top + t.start, m_track.right, m_track.top + t.start + t.length};
}

bool VScrollBar::Press(Point p, ScrollState& s) {
    if (!m_track.Contains(p.x, p.y)) {
        return false;
    }
    Rect thumb = ThumbRect(s);
    if (p.y < thumb.top) {
        s.top = ClampTop(s, s.top - std::max(1, s.page));
    } else if (p.y >= thumb.bottom) {
        s.top = ClampTop(s, s.top + std::max(1, s.page));
    } else {
        m_dragging = true;
        m_grab = p.y - thumb.top;
    }
    return true;
}

bool VScrollBar::Drag(Point p, ScrollState& s) {
    if (!m_dragging) {
        return false;
    }
    s.top = TopForThumb(s, m_track.Height(), p.y - m_grab - m_track.top);
    return true;
}

void VScrollBar::Paint(Painter& painter, Point origin, const ScrollState& s) const {
    Rect thumb = ThumbRect(s);
    DrawScrollBar(painter, m_track.Offset(origin.x, origin.y), thumb.Offset(origin.x, origin.y));
}

}  // namespace platform
