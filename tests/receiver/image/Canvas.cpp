#include "tests/receiver/image/Canvas.h"

#include <cmath>
#include <cstring>

namespace receiver {

bool Canvas::Put(int x, int y, int w, int h, const uint8_t* src, size_t srcStride) {
    if (!Contains(x, y, w, h)) {
        return false;
    }
    for (int row = 0; row < h; ++row) {
        std::memcpy(Row(y + row) + static_cast<size_t>(x) * 4, src + row * srcStride,
                    static_cast<size_t>(w) * 4);
    }
    return true;
}

double Psnr(const Canvas& canvas, int cx, int cy, const Canvas& reference, int rx, int ry, int w,
            int h) {
    if (!canvas.Contains(cx, cy, w, h) || !reference.Contains(rx, ry, w, h)) {
        return 0;
    }
    double sum = 0;
    for (int y = 0; y < h; ++y) {
        const uint8_t* a = canvas.Row(cy + y) + static_cast<size_t>(cx) * 4;
        const uint8_t* b = reference.Row(ry + y) + static_cast<size_t>(rx) * 4;
        for (int x = 0; x < w; ++x, a += 4, b += 4) {
            for (int c = 0; c < 3; ++c) {
                const double d = static_cast<double>(a[c]) - static_cast<double>(b[c]);
                sum += d * d;
            }
        }
    }
    const double mse = sum / (3.0 * w * h);
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace receiver
