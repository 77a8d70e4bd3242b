// The H.264 module's colour conversion: the vector path and the pixel path
// give the same planes, at widths that use either or both, and the known
// colours land on BT.601 limited range.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "vrxclientsdk/VRXClient/imagechannel/codecs/BgraToI420.h"

namespace {

struct Planes {
    int width, height;
    std::vector<uint8_t> y, u, v;
    Planes(int w, int h)
        : width(w),
          height(h),
          y(static_cast<size_t>(w) * h),
          u(static_cast<size_t>(w / 2) * (h / 2)),
          v(static_cast<size_t>(w / 2) * (h / 2)) {}
};

Planes Convert(const std::vector<uint8_t>& px, int w, int h) {
    Planes p(w, h);
    bgra_to_i420::Convert(px.data(), w, h, p.y.data(), w, p.u.data(), w / 2, p.v.data(), w / 2);
    return p;
}

}  // namespace

TEST(BgraToI420Test, EveryWidthGivesThePixelByPixelResult) {
    const int sizes[][2] = {{2, 2}, {8, 2}, {14, 6}, {16, 4}, {70, 34}, {1922, 4}};
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        std::vector<uint8_t> px(static_cast<size_t>(w) * h * 4);
        uint32_t seed = 2024u + static_cast<uint32_t>(w);
        for (uint8_t& b : px) {
            seed = seed * 1103515245u + 12345u;
            b = static_cast<uint8_t>(seed >> 23);
        }
        const Planes got = Convert(px, w, h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 4];
                ASSERT_EQ(got.y[static_cast<size_t>(y) * w + x],
                          ((66 * p[2] + 129 * p[1] + 25 * p[0] + 128) >> 8) + 16)
                    << x << "," << y;
            }
        }
        for (int y = 0; y < h / 2; ++y) {
            for (int x = 0; x < w / 2; ++x) {
                int b = 0, g = 0, r = 0;
                for (int dy = 0; dy < 2; ++dy) {
                    for (int dx = 0; dx < 2; ++dx) {
                        const uint8_t* p =
                            &px[(static_cast<size_t>(2 * y + dy) * w + 2 * x + dx) * 4];
                        b += p[0], g += p[1], r += p[2];
                    }
                }
                const size_t at = static_cast<size_t>(y) * (w / 2) + x;
                ASSERT_EQ(got.u[at], ((-38 * r - 74 * g + 112 * b + 512) >> 10) + 128) << x;
                ASSERT_EQ(got.v[at], ((112 * r - 94 * g - 18 * b + 512) >> 10) + 128) << x;
            }
        }
    }
}

TEST(BgraToI420Test, KnownColoursLandOnLimitedRange) {
    const struct {
        uint8_t b, g, r;
        uint8_t y, u, v;
    } cases[] = {
        {255, 255, 255, 235, 128, 128},  // white
        {0, 0, 0, 16, 128, 128},         // black
        {0, 0, 255, 82, 90, 240},        // red
        {255, 0, 0, 41, 240, 110},       // blue
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.r) << "," << int(c.g) << "," << int(c.b));
        constexpr int kW = 16, kH = 2;
        std::vector<uint8_t> px(kW * kH * 4);
        for (size_t i = 0; i < px.size(); i += 4) {
            px[i] = c.b, px[i + 1] = c.g, px[i + 2] = c.r, px[i + 3] = 0xFF;
        }
        const Planes got = Convert(px, kW, kH);
        for (uint8_t y : got.y) {
            ASSERT_EQ(y, c.y);
        }
        for (size_t i = 0; i < got.u.size(); ++i) {
            ASSERT_EQ(got.u[i], c.u);
            ASSERT_EQ(got.v[i], c.v);
        }
    }
}
