#include "vrxclientsdk/VRXClient/capture/CursorPainter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using platform::CaptureRect;

CaptureRect CursorPainter::Restore(uint8_t* picture, int stride) {
    const CaptureRect r = m_painted;
    if (r.IsEmpty()) {
        return r;
    }
    const size_t row = static_cast<size_t>(r.Width()) * 4;
    for (int y = 0; y < r.Height(); ++y) {
        std::memcpy(
            picture + static_cast<size_t>(r.top + y) * stride + static_cast<size_t>(r.left) * 4,
            m_saved.data() + y * row, row);
    }
    m_painted = {};
    return r;
}

CaptureRect CursorPainter::Paint(uint8_t* picture, int stride, int width, int height,
                                 const platform::CursorSprite& sprite, int x, int y, double scale) {
    m_painted = {};
    if (sprite.width <= 0 || sprite.height <= 0 || !(scale > 0.0) ||
        sprite.argb.size() < static_cast<size_t>(sprite.width) * sprite.height) {
        return {};
    }
    const int w = std::max(1, static_cast<int>(std::lround(sprite.width * scale)));
    const int h = std::max(1, static_cast<int>(std::lround(sprite.height * scale)));
    const int left = x - static_cast<int>(std::lround(sprite.hotX * scale));
    const int top = y - static_cast<int>(std::lround(sprite.hotY * scale));
    const CaptureRect full{left, top, left + w, top + h};
    const CaptureRect r = full.Intersect(CaptureRect::FromSize(width, height));
    if (r.IsEmpty()) {
        return {};
    }
    const size_t row = static_cast<size_t>(r.Width()) * 4;
    m_saved.resize(row * r.Height());  // grows to the largest cursor once
    for (int py = r.top; py < r.bottom; ++py) {
        uint8_t* dst = picture + static_cast<size_t>(py) * stride + static_cast<size_t>(r.left) * 4;
        std::memcpy(m_saved.data() + (py - r.top) * row, dst, row);
        const int sy = std::min(sprite.height - 1, static_cast<int>((py - top) / scale));
        for (int px = r.left; px < r.right; ++px, dst += 4) {
            const int sx = std::min(sprite.width - 1, static_cast<int>((px - left) / scale));
            const uint32_t argb = sprite.argb[static_cast<size_t>(sy) * sprite.width + sx];
            const uint32_t a = argb >> 24;
            if (a == 0) {
                continue;
            }
            // Premultiplied "over": out = sprite + picture * (1 - alpha).
            const uint32_t keep = 255 - a;
            const uint32_t r8 = (argb >> 16) & 0xFF, g8 = (argb >> 8) & 0xFF, b8 = argb & 0xFF;
            dst[0] =
                static_cast<uint8_t>(std::min<uint32_t>(255, b8 + (dst[0] * keep + 127) / 255));
            dst[1] =
                static_cast<uint8_t>(std::min<uint32_t>(255, g8 + (dst[1] * keep + 127) / 255));
            dst[2] =
                static_cast<uint8_t>(std::min<uint32_t>(255, r8 + (dst[2] * keep + 127) / 255));
        }
    }
    m_painted = r;
    return r;
}
