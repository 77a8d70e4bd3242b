// The changed areas of one captured frame, as a short list of rectangles.
//
// Each added rectangle is widened outwards to the block grid and clipped to
// the frame, so that encoders always get whole blocks inside the picture.
// Rectangles nearer to each other than the merge distance become their
// bounding box: a few larger blocks cost less on the wire than many small
// ones. Not a general region: overlaps are merged, never cut apart. A plain
// value; one thread at a time.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/x11/capture_rect.h"

namespace platform {

class UpdateRegion {
public:
    // More rectangles than this after merging are replaced by their bounding
    // box: past that, the block headers and per-block encoder start-up cost
    // more than the pixels saved.
    static constexpr size_t kMaxRects = 64;

    // `bounds` is the frame; `grid` the block size (1 = no widening).
    UpdateRegion(CaptureRect bounds, int grid);

    // Adds `rect`, widened to the grid and clipped; empty results are ignored.
    void Add(const CaptureRect& rect);
    // Adds the whole frame.
    void AddAll() { Add(m_bounds); }
    void Clear() { m_rects.clear(); }

    // Merges rectangles whose gap is below `distance` pixels in both
    // directions, and overlapping ones, until none is left to merge.
    void Merge(int distance);

    bool IsEmpty() const { return m_rects.empty(); }
    bool CoversAll() const { return m_rects.size() == 1 && m_rects[0] == m_bounds; }
    const std::vector<CaptureRect>& Rects() const { return m_rects; }
    const CaptureRect& Bounds() const { return m_bounds; }

private:
    CaptureRect m_bounds;
    int m_grid;
    std::vector<CaptureRect> m_rects;
};

}  // namespace platform
