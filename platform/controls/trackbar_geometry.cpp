#include "platform/controls/trackbar_geometry.h"

#include <algorithm>

namespace platform {

TrackbarGeometry::TrackbarGeometry(Size size, bool vertical, int minimum, int maximum)
    : m_size(size),
      m_vertical(vertical),
      m_min(std::min(minimum, maximum)),
      m_max(std::max(minimum, maximum)) {}

int TrackbarGeometry::Start() const {
    return kThumbAlong / 2 + 2;
}

int TrackbarGeometry::Length() const {
    int along = m_vertical ? m_size.height : m_size.width;
    return std::max(0, along - 2 * Start() - 1);
}

int TrackbarGeometry::Centre() const {
    // The thumb sits near the top (left) edge, leaving room for the ticks.
    int across = m_vertical ? m_size.width : m_size.height;
    return std::min(across / 2, kThumbAcross / 2 + 2);
}

int TrackbarGeometry::PixelOf(int position) const {
    int p = std::clamp(position, m_min, m_max);
    if (m_max == m_min) {
        return Start();
    }
    long long offset = static_cast<long long>(p - m_min) * Length();
    long long span = static_cast<long long>(m_max) - m_min;
    return Start() + static_cast<int>((offset + span / 2) / span);
}

int TrackbarGeometry::PositionAt(int pixel) const {
    if (Length() == 0) {
        return m_min;
    }
    int along = std::clamp(pixel - Start(), 0, Length());
    long long span = static_cast<long long>(m_max) - m_min;
    return m_min + static_cast<int>((along * span + Length() / 2) / Length());
}

Rect TrackbarGeometry::Channel() const {
    int c = Centre();
    int half = kChannelThickness / 2;
    if (m_vertical) {
        return {c - half, Start(), c + half, Start() + Length() + 1};
    }
    return {Start(), c - half, Start() + Length() + 1, c + half};
}

Rect TrackbarGeometry::Thumb(int position) const {
    int p = PixelOf(position);
    int c = Centre();
    if (m_vertical) {
        return {c - kThumbAcross / 2, p - kThumbAlong / 2, c + kThumbAcross / 2,
                p + kThumbAlong / 2 + 1};
    }
    return {p - kThumbAlong / 2, c - kThumbAcross / 2, p + kThumbAlong / 2 + 1,
            c + kThumbAcross / 2};
}

std::vector<int> TrackbarGeometry::Ticks(int frequency) const {
    std::vector<int> ticks;
    if (frequency < 1) {
        return ticks;
    }
    for (long long v = m_min; v < m_max; v += frequency) {
        ticks.push_back(PixelOf(static_cast<int>(v)));
    }
    ticks.push_back(PixelOf(m_max));
    return ticks;
}

}  // namespace platform
