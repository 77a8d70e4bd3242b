// Where a trackbar's channel, thumb and ticks lie, and which position a
// pixel stands for, without a window.
//
// Positions run from the range's minimum to its maximum along the channel:
// left to right, or top to bottom for a vertical trackbar (the minimum at
// the top). The thumb's centre marks the position; the channel's ends keep
// half a thumb of room so that the thumb never leaves the control.
// Plain value, any thread.
#pragma once

#include <vector>

#include "platform/draw/geometry.h"

namespace platform {

class TrackbarGeometry {
public:
    // The thumb's size across and along the channel.
    static constexpr int kThumbAcross = 20;
    static constexpr int kThumbAlong = 10;
    static constexpr int kChannelThickness = 4;

    // A trackbar of `size` pixels over [minimum, maximum] (swapped when
    // given the wrong way round).
    TrackbarGeometry(Size size, bool vertical, int minimum, int maximum);

    // The pixel along the channel (x, or y when vertical) of a position.
    int PixelOf(int position) const;
    // The position whose pixel lies nearest to `pixel`, within the range.
    int PositionAt(int pixel) const;

    Rect Channel() const;
    Rect Thumb(int position) const;
    // The pixels along the channel of the ticks: every `frequency` from the
    // minimum, and the maximum. Empty for a frequency below 1.
    std::vector<int> Ticks(int frequency) const;

private:
    int Start() const;   // pixel of the minimum
    int Length() const;  // pixels from the minimum's to the maximum's
    int Centre() const;  // the channel's middle across

    Size m_size;
    bool m_vertical;
    int m_min;
    int m_max;
};

}  // namespace platform
