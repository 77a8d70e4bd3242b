// IBMask: copies a block's rectangle out of the captured frame, converting
// its pixels to the colour format the consumer asked for.
#include <algorithm>
#include <cstring>

#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"

namespace {

struct Rgba {
    uint8_t r, g, b, a;
};

// Expands 5 or 6 bits to 8 by repeating the high bits, so that full white
// stays 0xFF and black stays 0.
inline uint8_t Expand5(unsigned v) {
    return static_cast<uint8_t>((v << 3) | (v >> 2));
}
inline uint8_t Expand6(unsigned v) {
    return static_cast<uint8_t>((v << 2) | (v >> 4));
}

inline Rgba Load(uint32_t format, const unsigned char* p) {
    switch (format) {
        case COLOR_FORMAT_RGB555: {
            unsigned w = p[0] | (p[1] << 8);
            return {Expand5((w >> 10) & 31), Expand5((w >> 5) & 31), Expand5(w & 31), 0xFF};
        }
        case COLOR_FORMAT_RGB565: {
            unsigned w = p[0] | (p[1] << 8);
            return {Expand5((w >> 11) & 31), Expand6((w >> 5) & 63), Expand5(w & 31), 0xFF};
        }
        case COLOR_FORMAT_BGRA:
            return {p[2], p[1], p[0], p[3]};
        case COLOR_FORMAT_RGBX:
            return {p[0], p[1], p[2], 0xFF};
        default:  // BGRX, JPEG
            return {p[2], p[1], p[0], 0xFF};
    }
}

inline void Store(uint32_t format, unsigned char* p, Rgba c) {
    switch (format) {
        case COLOR_FORMAT_RGB555: {
            unsigned w = ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3);
            p[0] = static_cast<unsigned char>(w);
            p[1] = static_cast<unsigned char>(w >> 8);
            break;
        }
        case COLOR_FORMAT_RGB565: {
            unsigned w = ((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3);
            p[0] = static_cast<unsigned char>(w);
            p[1] = static_cast<unsigned char>(w >> 8);
            break;
        }
        case COLOR_FORMAT_RGBX:
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = 0xFF;
            break;
        default:  // BGRX, BGRA, JPEG
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
            p[3] = c.a;
            break;
    }
}

// Formats whose bytes are the same in memory: B, G, R, fourth byte.
inline bool IsBgr32(uint32_t f) {
    return f == COLOR_FORMAT_BGRX || f == COLOR_FORMAT_BGRA || f == COLOR_FORMAT_JPEG;
}

// Converts `count` pixels of one row.
void ConvertRow(uint32_t from, const unsigned char* src, uint32_t to, unsigned char* dst,
                size_t count, int srcBytes, int dstBytes) {
    const bool sameBytes = from == to || (IsBgr32(from) && IsBgr32(to));
    if (sameBytes && !(to == COLOR_FORMAT_BGRA && from != COLOR_FORMAT_BGRA)) {
        std::memcpy(dst, src, count * static_cast<size_t>(dstBytes));
        return;
    }
    if (IsBgr32(from) && to == COLOR_FORMAT_BGRA) {
        // The source's fourth byte is undefined: the picture is opaque. Whole
        // little-endian words, which the compiler turns into vector code.
        for (size_t i = 0; i < count; ++i) {
            uint32_t pixel;
            std::memcpy(&pixel, src + i * 4, 4);
            pixel |= 0xFF000000u;
            std::memcpy(dst + i * 4, &pixel, 4);
        }
        return;
    }
    for (size_t i = 0; i < count; ++i, src += srcBytes, dst += dstBytes) {
        Store(to, dst, Load(from, src));
    }
}

}  // namespace

int ColorFormatBits(uint32_t format) {
    switch (format) {
        case COLOR_FORMAT_RGB555:
        case COLOR_FORMAT_RGB565:
            return 16;
        case COLOR_FORMAT_BGRX:
        case COLOR_FORMAT_BGRA:
        case COLOR_FORMAT_RGBX:
        case COLOR_FORMAT_JPEG:
            return 32;
        default:
            return 0;
    }
}

size_t IBMask(unsigned char* destination, IMAGE_BLOCK* block) {
    if (!destination || !block || !block->pBits) {
        return 0;
    }
    const int dstBits = ColorFormatBits(block->colorFormat);
    const int srcBits = ColorFormatBits(block->sourceFormat);
    if (dstBits == 0 || srcBits == 0 || block->x2 < block->x1 || block->y2 < block->y1) {
        return 0;
    }
    const int dstBytes = dstBits / 8;
    const int srcBytes = srcBits / 8;
    const int64_t width = int64_t{block->x2} - block->x1 + 1;
    const int64_t height = int64_t{block->y2} - block->y1 + 1;
    const size_t rowOut = static_cast<size_t>(width) * static_cast<size_t>(dstBytes);

    // Columns of the rectangle that lie inside the frame's rows.
    const int64_t frameColumns = block->stride / static_cast<uint32_t>(srcBytes);
    const int64_t cx1 = std::max<int64_t>(block->x1, 0);
    const int64_t cx2 = std::min<int64_t>(block->x2, frameColumns - 1);

    unsigned char* out = destination;
    for (int64_t y = block->y1; y <= block->y2; ++y, out += rowOut) {
        if (y < 0 || y >= block->frameRows || cx2 < cx1) {
            std::memset(out, 0, rowOut);
            continue;
        }
        const size_t lead = static_cast<size_t>(cx1 - block->x1) * dstBytes;
        const size_t inside = static_cast<size_t>(cx2 - cx1 + 1);
        std::memset(out, 0, lead);
        const unsigned char* src = block->pBits + static_cast<size_t>(y) * block->stride +
                                   static_cast<size_t>(cx1) * srcBytes;
        ConvertRow(block->sourceFormat, src, block->colorFormat, out + lead, inside, srcBytes,
                   dstBytes);
        const size_t done = lead + inside * dstBytes;
        std::memset(out + done, 0, rowOut - done);
    }
    return rowOut * static_cast<size_t>(height);
}
