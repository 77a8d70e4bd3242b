#include "platform/x11/update_region.h"

#include <algorithm>

namespace platform {

namespace {

int FloorTo(int v, int grid) {
    return v >= 0 ? v / grid * grid : -((-v + grid - 1) / grid * grid);
}

int CeilTo(int v, int grid) {
    return -FloorTo(-v, grid);
}

// The gap between two rectangles along one axis; negative when they overlap.
int Gap(int aLow, int aHigh, int bLow, int bHigh) {
    return std::max(aLow, bLow) - std::min(aHigh, bHigh);
}

bool Near(const CaptureRect& a, const CaptureRect& b, int distance) {
    const int gx = Gap(a.left, a.right, b.left, b.right);
    const int gy = Gap(a.top, a.bottom, b.top, b.bottom);
    if (gx <= 0 && gy <= 0) {
        return true;  // overlapping or touching
    }
    return gx < distance && gy < distance;
}

}  // namespace

UpdateRegion::UpdateRegion(CaptureRect bounds, int grid)
    : m_bounds(bounds), m_grid(std::max(grid, 1)) {
    m_rects.reserve(kMaxRects + 1);
}

void UpdateRegion::Add(const CaptureRect& rect) {
    if (rect.IsEmpty()) {
        return;  // widening must not turn nothing into a block
    }
    CaptureRect r{FloorTo(rect.left, m_grid), FloorTo(rect.top, m_grid), CeilTo(rect.right, m_grid),
                  CeilTo(rect.bottom, m_grid)};
    r = r.Intersect(m_bounds);
    if (r.IsEmpty()) {
        return;
    }
    for (const CaptureRect& have : m_rects) {
        if (have.Intersect(r) == r) {
            return;  // already covered
        }
    }
    if (m_rects.size() >= kMaxRects) {
        CaptureRect all = r;
        for (const CaptureRect& have : m_rects) {
            all = all.Union(have);
        }
        m_rects.assign(1, all);
        return;
    }
    m_rects.push_back(r);
}

void UpdateRegion::Merge(int distance) {
    bool merged = true;
    while (merged) {
        merged = false;
        for (size_t i = 0; i < m_rects.size() && !merged; ++i) {
            for (size_t j = i + 1; j < m_rects.size(); ++j) {
                if (Near(m_rects[i], m_rects[j], distance)) {
                    m_rects[i] = m_rects[i].Union(m_rects[j]);
                    m_rects.erase(m_rects.begin() + static_cast<std::ptrdiff_t>(j));
                    merged = true;
                    break;
                }
            }
        }
    }
    // Top to bottom, then left to right: the order the blocks are sent in.
    std::sort(m_rects.begin(), m_rects.end(), [](const CaptureRect& a, const CaptureRect& b) {
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
}

}  // namespace platform
