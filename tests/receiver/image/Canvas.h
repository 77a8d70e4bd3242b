// The receiver's picture: 32-bit pixels B, G, R, X, rows packed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace receiver {

class Canvas {
public:
    Canvas() = default;
    Canvas(int width, int height)
        : m_width(width), m_height(height), m_pixels(static_cast<size_t>(width) * height * 4) {}

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    const std::vector<uint8_t>& Pixels() const { return m_pixels; }
    uint8_t* Row(int y) { return m_pixels.data() + static_cast<size_t>(y) * m_width * 4; }
    const uint8_t* Row(int y) const {
        return m_pixels.data() + static_cast<size_t>(y) * m_width * 4;
    }

    // True when the rectangle of w x h at (x, y) lies inside the picture.
    bool Contains(int x, int y, int w, int h) const {
        return x >= 0 && y >= 0 && w > 0 && h > 0 && x + w <= m_width && y + h <= m_height;
    }

    // Copies w x h pixels of B,G,R,X rows (srcStride bytes apart) to (x, y);
    // false when the rectangle leaves the picture.
    bool Put(int x, int y, int w, int h, const uint8_t* src, size_t srcStride);

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<uint8_t> m_pixels;
};

// Peak signal-to-noise ratio in dB over the B, G and R bytes of the
// rectangle, comparing `canvas` at (cx, cy) with `reference` at (rx, ry);
// 99 when they are equal.
double Psnr(const Canvas& canvas, int cx, int cy, const Canvas& reference, int rx, int ry, int w,
            int h);

}  // namespace receiver
