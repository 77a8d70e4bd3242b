// A short list of rectangles (inclusive corners) to be sent again, with the
// merge rule that keeps it short: two rectangles are merged into their
// bounding box when the box wastes little area and little per-row cost.
// Capacity is fixed at construction; nothing allocates afterwards.
#pragma once

#include <cstddef>
#include <vector>

struct IBRect {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;

    long long Area() const { return (long long)(x2 - x1 + 1) * (y2 - y1 + 1); }
    // Rows cost a fixed overhead of 8 pixels each besides their width.
    long long Cost() const { return (long long)(y2 - y1 + 1) * (x2 - x1 + 1 + 8); }
    bool Contains(const IBRect& o) const {
        return o.x1 >= x1 && o.x2 <= x2 && o.y1 >= y1 && o.y2 <= y2;
    }
    bool Overlaps(const IBRect& o) const {
        return o.x1 <= x2 && o.x2 >= x1 && o.y1 <= y2 && o.y2 >= y1;
    }
    bool operator==(const IBRect&) const = default;
};

class RefreshList {
public:
    explicit RefreshList(size_t capacity = 256) { m_rects.reserve(capacity); }

    // Adds R: dropped when an entry contains it; entries it contains go;
    // an entry cheap to merge with is merged and the walk restarts.
    void Add(IBRect r);
    // Removes R's area: covered entries go, overlapped ones are cut into
    // their parts outside R, or, when cutting would fragment them, shrunk to
    // the bounding box of those parts.
    void Subtract(const IBRect& r);

    void Clear() { m_rects.clear(); }
    bool Empty() const { return m_rects.empty(); }
    const std::vector<IBRect>& Rects() const { return m_rects; }

private:
    // Appends unless the capacity is reached; a full list keeps the bounding
    // box of what no longer fits in its last entry, so nothing is lost.
    void Append(const IBRect& r);

    std::vector<IBRect> m_rects;
};
