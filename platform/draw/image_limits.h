// Limits on the pictures the drawing layer accepts.
//
// Every width, height and length read from an image file is checked against
// these before anything is allocated. The largest picture the program shows
// is a full-screen picture file; 16384 pixels a side covers every screen in
// use, and 64 Mi pixels (256 MiB of ARGB) bounds what one file may cost.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

inline constexpr int kMaxImageSide = 16384;
inline constexpr int64_t kMaxImagePixels = int64_t{64} * 1024 * 1024;
inline constexpr size_t kMaxImageFileBytes = size_t{128} * 1024 * 1024;

// True when a width x height picture is within the limits above.
constexpr bool ImageSizeAllowed(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

}  // namespace platform
