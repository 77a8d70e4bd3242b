#include "vrxclientsdk/VRXClient/imagechannel/RefreshList.h"

#include <algorithm>

namespace {

IBRect Bound(const IBRect& a, const IBRect& b) {
    return {std::min(a.x1, b.x1), std::min(a.y1, b.y1), std::max(a.x2, b.x2), std::max(a.y2, b.y2)};
}

}  // namespace

void RefreshList::Append(const IBRect& r) {
    if (m_rects.size() < m_rects.capacity()) {
        m_rects.push_back(r);
    } else {
        m_rects.back() = Bound(m_rects.back(), r);
    }
}

void RefreshList::Add(IBRect r) {
    size_t i = 0;
    while (i < m_rects.size()) {
        const IBRect e = m_rects[i];
        if (e.Contains(r)) {
            return;
        }
        if (r.Contains(e)) {
            m_rects.erase(m_rects.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        const IBRect b = Bound(r, e);
        const double areaRatio = double(b.Area()) / (2.0 * double(r.Area() + e.Area()));
        const double costRatio = double(b.Cost()) / (2.0 * double(r.Cost() + e.Cost()));
        if (areaRatio * costRatio < 1.0) {
            r = b;
            m_rects.erase(m_rects.begin() + static_cast<std::ptrdiff_t>(i));
            i = 0;
            continue;
        }
        ++i;
    }
    Append(r);
}

void RefreshList::Subtract(const IBRect& r) {
    const size_t count = m_rects.size();  // parts appended below are outside R
    size_t i = 0;
    size_t seen = 0;
    while (seen < count && i < m_rects.size()) {
        ++seen;
        const IBRect e = m_rects[i];
        if (!e.Overlaps(r)) {
            ++i;
            continue;
        }
        if (r.Contains(e)) {
            m_rects.erase(m_rects.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        IBRect parts[4];
        int n = 0;
        if (e.y1 < r.y1) {
            parts[n++] = {e.x1, e.y1, e.x2, r.y1 - 1};
        }
        if (e.y2 > r.y2) {
            parts[n++] = {e.x1, r.y2 + 1, e.x2, e.y2};
        }
        const int midY1 = std::max(e.y1, r.y1), midY2 = std::min(e.y2, r.y2);
        if (e.x1 < r.x1) {
            parts[n++] = {e.x1, midY1, r.x1 - 1, midY2};
        }
        if (e.x2 > r.x2) {
            parts[n++] = {r.x2 + 1, midY1, e.x2, midY2};
        }
        long long area = 0, cost = 0;
        for (int k = 0; k < n; ++k) {
            area += parts[k].Area();
            cost += parts[k].Cost();
        }
        const double fragmentation = (double(n) * double(area) / double(e.Area())) *
                                     (double(n) * double(cost) / double(e.Cost()));
        m_rects.erase(m_rects.begin() + static_cast<std::ptrdiff_t>(i));
        if (fragmentation < 1.0) {
            for (int k = 0; k < n; ++k) {
                Append(parts[k]);
            }
        } else {
            // One rectangle over all the parts: it may cover some of R again,
            // but no part outside R is lost.
            IBRect box = parts[0];
            for (int k = 1; k < n; ++k) {
                box = Bound(box, parts[k]);
            }
            Append(box);
        }
    }
}
