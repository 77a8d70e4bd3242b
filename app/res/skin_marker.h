// The marker pixel of the generated skin images: which image and which frame
// a drawn picture came from, readable from one pixel.
//
// Every frame of every generated skin image carries one marker pixel at
// kSkinMarkerOffset from the frame's top-left corner. Its colour encodes the
// resource id (red: high byte, green: low byte) and the frame index (blue:
// 0xA0 + frame), fully opaque. No other opaque pixel of a generated image has a blue
// byte in 0xA0..0xAF, and a marker is never the magenta colour key. Tests read
// the pixel at the place a frame was drawn to tell which frame it was.
// Plain constants and functions, usable anywhere.
#pragma once

#include <optional>

#include "platform/draw/color.h"
#include "platform/draw/geometry.h"

namespace appres {

// Where the marker lies inside each frame.
inline constexpr platform::Point kSkinMarkerOffset{1, 1};

// The most frames one strip may hold (the blue byte keeps 4 bits for it).
inline constexpr int kMaxSkinFrames = 16;

struct SkinMarker {
    int id = 0;
    int frame = 0;
    constexpr bool operator==(const SkinMarker&) const = default;
};

// The marker colour of frame `frame` (0..15) of resource `id` (1..65535).
constexpr platform::Argb SkinMarkerColour(int id, int frame) {
    return platform::Argb::FromArgb(0xFF, static_cast<uint8_t>((id >> 8) & 0xFF),
                                    static_cast<uint8_t>(id & 0xFF),
                                    static_cast<uint8_t>(0xA0 + (frame & 0x0F)));
}

// The id and frame a pixel names, or nothing when it is no marker.
constexpr std::optional<SkinMarker> ReadSkinMarker(platform::Argb pixel) {
    if (pixel.Alpha() != 0xFF || (pixel.Blue() & 0xF0) != 0xA0) {
        return std::nullopt;
    }
    const int id = (pixel.Red() << 8) | pixel.Green();
    if (id == 0) {
        return std::nullopt;
    }
    return SkinMarker{id, pixel.Blue() & 0x0F};
}

}  // namespace appres
