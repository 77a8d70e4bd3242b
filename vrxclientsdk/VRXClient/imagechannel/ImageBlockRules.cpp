#include "vrxclientsdk/VRXClient/imagechannel/ImageBlockRules.h"

#include <algorithm>

namespace {

// Below this many pixels a block is sent at quality 100: it costs little.
constexpr int kSmallBlockPixels = 9216;  // 96 x 96
// Above this many pixels the configured quality holds even below 80.
constexpr int kLargeBlockPixels = 345600;
constexpr int kMinMidQuality = 80;

void SetRect(IMAGE_BLOCK& b, int x1, int y1, int x2, int y2) {
    b.x1 = x1;
    b.y1 = y1;
    b.x2 = x2;
    b.y2 = y2;
    b.width = static_cast<uint32_t>(x2 - x1 + 1);
    b.height = static_cast<uint32_t>(y2 - y1 + 1);
}

}  // namespace

int JpegQualityFor(int width, int height, bool refresh, bool quality100, int quality) {
    const int pixels = width * height;
    if (pixels < kSmallBlockPixels || refresh || quality100) {
        return 100;
    }
    return pixels > kLargeBlockPixels ? quality : std::max(quality, kMinMidQuality);
}

void AlignJpegBlock(IMAGE_BLOCK& b, int frameBufferWidth, int outputHeight) {
    const int x1 = b.x1 & ~15;
    const int x2 = std::min(frameBufferWidth - 1, b.x2 | 15);
    int y1 = b.y1 & ~15;
    int y2 = b.y2 | 15;
    const int bandRows = y2 - y1 + 1;
    if (y2 > outputHeight - 1) {
        y2 = outputHeight - 1;
        y1 = std::max(0, y2 - bandRows + 1);
    }
    SetRect(b, x1, y1, x2, y2);
}

void ExtendJpegHeight(IMAGE_BLOCK& b, int outputHeight) {
    const int h = b.y2 - b.y1 + 1;
    if (h % 16 != 0) {
        SetRect(b, b.x1, b.y1, b.x2, std::min(outputHeight - 1, b.y1 + 16 * ((h + 15) / 16) - 1));
    }
}

size_t SplitIntoStrips(const IMAGE_BLOCK& b, int bitsPerPixel, uint32_t maxBlockBytes,
                       IMAGE_BLOCK* strips, size_t maxStrips) {
    const int width = b.x2 - b.x1 + 1;
    const int rows = b.y2 - b.y1 + 1;
    if (width <= 0 || rows <= 0 || maxStrips == 0) {
        return 0;
    }
    // Whole rows per strip, so that no strip (the last included) exceeds the
    // receiver's block size.
    const uint32_t rowBytes = BlockBytes(bitsPerPixel, width, 1);
    const int stripRows =
        std::max<int>(1, static_cast<int>(maxBlockBytes / std::max(rowBytes, 1u)));
    size_t count = 0;
    for (int y = b.y1; y <= b.y2 && count < maxStrips; y += stripRows, ++count) {
        IMAGE_BLOCK& s = strips[count];
        s = b;
        SetRect(s, b.x1, y, b.x2, std::min(b.y2, y + stripRows - 1));
        s.size = BlockBytes(bitsPerPixel, width, static_cast<int>(s.height));
        if (count > 0) {
            s.et = 0;
        }
    }
    return count;
}
