#include "platform/draw/region.h"

#include <algorithm>
#include <cmath>

namespace platform {

Region Region::FromRect(const Rect& rect) {
    Region r;
    if (rect.IsEmpty())
        return r;
    r.m_spans.reserve(rect.Height());
    for (int y = rect.top; y < rect.bottom; ++y)
        r.m_spans.push_back({y, rect.left, rect.right});
    return r;
}

Region Region::FromRoundRect(const Rect& rect, int ellipseWidth, int ellipseHeight) {
    const int w = rect.Width();
    const int h = rect.Height();
    const int ew = std::clamp(ellipseWidth, 0, std::max(w, 0));
    const int eh = std::clamp(ellipseHeight, 0, std::max(h, 0));
    if (rect.IsEmpty() || ew < 2 || eh < 2)
        return FromRect(rect);
    Region r;
    r.m_spans.reserve(h);
    const double a = ew / 2.0;  // corner ellipse radii
    const double b = eh / 2.0;
    for (int row = 0; row < h; ++row) {
        // Distance of the pixel centre from the nearer horizontal edge, and
        // how far into the corner band that is.
        const double fromEdge = std::min(row, h - 1 - row) + 0.5;
        int inset = 0;
        if (fromEdge < b) {
            const double dy = (b - fromEdge) / b;
            const double halfChord = a * std::sqrt(std::max(0.0, 1.0 - dy * dy));
            // Pixels whose centre x + 0.5 lies at or beyond the chord's end.
            inset = static_cast<int>(std::ceil(a - halfChord - 0.5));
            inset = std::clamp(inset, 0, w / 2);
        }
        if (w - 2 * inset > 0)
            r.m_spans.push_back({rect.top + row, rect.left + inset, rect.right - inset});
    }
    return r;
}

void Region::Union(const Region& other) {
    m_spans.insert(m_spans.end(), other.m_spans.begin(), other.m_spans.end());
    Normalize();
}

void Region::Offset(int dx, int dy) {
    for (Span& s : m_spans) {
        s.y += dy;
        s.left += dx;
        s.right += dx;
    }
}

bool Region::Contains(int x, int y) const {
    auto it = std::lower_bound(m_spans.begin(), m_spans.end(), y,
                               [](const Span& s, int row) { return s.y < row; });
    for (; it != m_spans.end() && it->y == y; ++it) {
        if (x < it->left)
            return false;
        if (x < it->right)
            return true;
    }
    return false;
}

Rect Region::Bounds() const {
    if (m_spans.empty())
        return {};
    Rect r{m_spans.front().left, m_spans.front().y, m_spans.front().right, m_spans.back().y + 1};
    for (const Span& s : m_spans) {
        r.left = std::min(r.left, s.left);
        r.right = std::max(r.right, s.right);
    }
    return r;
}

std::vector<Rect> Region::ToRects() const {
    std::vector<Rect> rects;
    size_t bandStart = 0;  // first rect of the band the previous row made
    size_t i = 0;
    int lastRow = 0;
    bool haveBand = false;
    while (i < m_spans.size()) {
        const int y = m_spans[i].y;
        size_t end = i;
        while (end < m_spans.size() && m_spans[end].y == y)
            ++end;
        // Extend the previous band when this row follows it with the same spans.
        bool same = haveBand && y == lastRow + 1 && end - i == rects.size() - bandStart;
        for (size_t k = 0; same && k < end - i; ++k)
            same = rects[bandStart + k].left == m_spans[i + k].left &&
                   rects[bandStart + k].right == m_spans[i + k].right;
        if (same) {
            for (size_t k = bandStart; k < rects.size(); ++k)
                rects[k].bottom = y + 1;
        } else {
            bandStart = rects.size();
            for (size_t k = i; k < end; ++k)
                rects.push_back({m_spans[k].left, y, m_spans[k].right, y + 1});
        }
        haveBand = true;
        lastRow = y;
        i = end;
    }
    return rects;
}

void Region::Normalize() {
    std::sort(m_spans.begin(), m_spans.end(), [](const Span& p, const Span& q) {
        return p.y != q.y ? p.y < q.y : p.left < q.left;
    });
    std::vector<Span> merged;
    merged.reserve(m_spans.size());
    for (const Span& s : m_spans) {
        if (s.right <= s.left)
            continue;
        if (!merged.empty() && merged.back().y == s.y && s.left <= merged.back().right)
            merged.back().right = std::max(merged.back().right, s.right);
        else
            merged.push_back(s);
    }
    m_spans = std::move(merged);
}

}  // namespace platform
