// The pixels of a drop shadow: MakeShadow, a pure function.
//
// The shadow of a window of `parentSize` whose shape is `parentRegion`
// extends `size` pixels beyond it on every side and is shown offset by
// (xOffset, yOffset) from the window. Its shape is the window's shape
// (row by row, from the leftmost to the rightmost pixel), shrunk by
// (sharpness - size) pixels when sharpness is the larger, filled at full
// darkness and given a soft edge: a round kernel of radius
// max(sharpness, size) stamped on every edge pixel, fading from darkness to
// nothing over sharpness + 1 pixels (beyond a solid core of size - sharpness
// pixels when size is the larger). Where the window itself covers the
// shadow the pixels stay clear, so only the part beside the window shows.
//
// Every write is clipped to the picture, so any parameters are safe: a
// negative size, offsets that put the window off the picture, a sharpness
// far beyond the window's size. Plain function, usable on any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/draw/color.h"
#include "platform/draw/geometry.h"
#include "platform/draw/region.h"
#include "platform/draw/surface.h"

namespace ui {

struct ShadowParams {
    uint8_t darkness = 75;   // alpha of the solid part
    uint8_t sharpness = 10;  // width of the soft edge
    int8_t size = 3;         // how far the shadow reaches beyond the window
    int8_t xOffset = 5;
    int8_t yOffset = 5;
    platform::ColorRef colour;  // black
};

// The shadow's picture (premultiplied ARGB, (w + 2 size) x (h + 2 size)),
// or nullptr when that size is not positive or too large for a picture.
// `parentRegion` is in the window's own coordinates; nullopt means the whole
// rectangle of `parentSize`.
std::unique_ptr<platform::Surface> MakeShadow(const std::optional<platform::Region>& parentRegion,
                                              platform::Size parentSize,
                                              const ShadowParams& params);

// Where the shadow window goes for a window at `parent` (screen): offset by
// the offsets less the size, the picture's size.
platform::Rect ShadowRect(const platform::Rect& parent, const ShadowParams& params);

}  // namespace ui
