// A synthetic desktop picture for codec tests: a gradient background,
// solid windows with hard edges, thin "text" strokes and a noisy photo-like
// patch. 32-bit B, G, R, X pixels, rows packed. `phase` shifts the content so
// that consecutive frames differ.
#pragma once

#include <cstdint>
#include <vector>

inline std::vector<uint8_t> MakeTestPicture(int width, int height, int phase = 0) {
    std::vector<uint8_t> px(static_cast<size_t>(width) * height * 4);
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &px[(static_cast<size_t>(y) * width + x) * 4];
            int b = (x * 255) / (width > 1 ? width - 1 : 1);
            int g = (y * 255) / (height > 1 ? height - 1 : 1);
            int r = 96;
            const int wx = (x + phase * 8) % width;
            if (wx > width / 8 && wx < width / 2 && y > height / 6 && y < height / 2) {
                b = 240, g = 240, r = 240;  // a window
                if ((y % 12) < 2 && (x % 7) < 5) {
                    b = g = r = 20;  // text strokes
                }
            }
            if (x > width * 5 / 8 && y > height * 5 / 8) {
                seed = seed * 1103515245u + 12345u;  // a photo-like patch
                const int n = static_cast<int>((seed >> 16) & 31) - 16;
                b = 128 + n + (x % 32), g = 100 + n, r = 60 + n + (y % 32);
            }
            p[0] = static_cast<uint8_t>(b);
            p[1] = static_cast<uint8_t>(g);
            p[2] = static_cast<uint8_t>(r);
            p[3] = 0;
        }
    }
    return px;
}
