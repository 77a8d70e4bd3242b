// Rotation, scaling and 16-bit output of the capture pipeline, checked
// against plain reference code.
#include "vrxclientsdk/VRXClient/capture/FrameTransformer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

using platform::CaptureRect;

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bytes;  // B, G, R, X
    int Stride() const { return width * 4; }
    uint8_t* At(int x, int y) { return bytes.data() + (static_cast<size_t>(y) * width + x) * 4; }
    const uint8_t* At(int x, int y) const {
        return bytes.data() + (static_cast<size_t>(y) * width + x) * 4;
    }
};

Picture Random(int width, int height, unsigned seed) {
    Picture p{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
    std::mt19937 rng(seed);
    for (uint8_t& b : p.bytes) {
        b = static_cast<uint8_t>(rng());
    }
    return p;
}

// A smooth picture: bilinear results depend little on the exact sample points.
Picture Gradient(int width, int height) {
    Picture p{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* px = p.At(x, y);
            px[0] = static_cast<uint8_t>(x * 255 / (width - 1));
            px[1] = static_cast<uint8_t>(y * 255 / (height - 1));
            px[2] = static_cast<uint8_t>((x + y) * 255 / (width + height - 2));
            px[3] = 0;
        }
    }
    return p;
}

Picture ReferenceRotate(const Picture& src, int rotation) {
    const bool quarter = rotation % 2 == 1;
    Picture out{quarter ? src.height : src.width, quarter ? src.width : src.height, {}};
    out.bytes.resize(src.bytes.size());
    for (int y = 0; y < src.height; ++y) {
        for (int x = 0; x < src.width; ++x) {
            int ox = 0, oy = 0;
            switch (rotation) {
                case 1:
                    ox = src.height - 1 - y;
                    oy = x;
                    break;  // clockwise
                case 2:
                    ox = src.width - 1 - x;
                    oy = src.height - 1 - y;
                    break;
                case 3:
                    ox = y;
                    oy = src.width - 1 - x;
                    break;
                default:
                    ox = x;
                    oy = y;
                    break;
            }
            std::copy_n(src.At(x, y), 4, out.At(ox, oy));
        }
    }
    return out;
}

// Bilinear sampling at pixel centres, the textbook way.
uint8_t ReferenceBilinear(const Picture& src, int outW, int outH, int x, int y, int channel) {
    const double fx = std::clamp((x + 0.5) * src.width / outW - 0.5, 0.0, src.width - 1.0);
    const double fy = std::clamp((y + 0.5) * src.height / outH - 0.5, 0.0, src.height - 1.0);
    const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
    const int x1 = std::min(x0 + 1, src.width - 1), y1 = std::min(y0 + 1, src.height - 1);
    const double ax = fx - x0, ay = fy - y0;
    const double top = src.At(x0, y0)[channel] * (1 - ax) + src.At(x1, y0)[channel] * ax;
    const double bottom = src.At(x0, y1)[channel] * (1 - ax) + src.At(x1, y1)[channel] * ax;
    return static_cast<uint8_t>(std::lround(top * (1 - ay) + bottom * ay));
}

std::vector<uint8_t> Stage(FrameTransformer& t, Picture& src) {
    const uint8_t* p = t.Stage32(src.bytes.data());
    return {p, p + static_cast<size_t>(t.OutputWidth()) * t.OutputHeight() * 4};
}

TEST(FrameTransformerTest, RotationMatchesTheReferenceAlsoForPartialUpdates) {
    for (int rotation = 0; rotation < 4; ++rotation) {
        SCOPED_TRACE(rotation);
        Picture src = Random(37, 23, 1);
        const bool quarter = rotation % 2 == 1;
        const int ow = quarter ? 23 : 37, oh = quarter ? 37 : 23;
        FrameTransformer t;
        ASSERT_TRUE(t.Configure(37, 23, rotation, ow, oh, COLOR_FORMAT_BGRX));
        EXPECT_EQ(t.Transform(src.bytes.data(), src.Stride(), CaptureRect::FromSize(37, 23)),
                  CaptureRect::FromSize(ow, oh));
        EXPECT_EQ(Stage(t, src), ReferenceRotate(src, rotation).bytes);

        // Change a corner area only and pass just that area.
        const CaptureRect changed{3, 15, 11, 23};
        Picture patch = Random(37, 23, 2);
        for (int y = changed.top; y < changed.bottom; ++y) {
            std::copy_n(patch.At(changed.left, y), changed.Width() * 4, src.At(changed.left, y));
        }
        const CaptureRect out = t.Transform(src.bytes.data(), src.Stride(), changed);
        EXPECT_EQ(out, FrameTransformer::RotateRect(changed, 37, 23, rotation));
        EXPECT_EQ(out.Width() * out.Height(), changed.Width() * changed.Height());
        EXPECT_EQ(Stage(t, src), ReferenceRotate(src, rotation).bytes);

        // The cursor's point follows the same mapping.
        int x = 4, y = 20;
        FrameTransformer::RotatePoint(&x, &y, 37, 23, rotation);
        const Picture rotated = ReferenceRotate(src, rotation);
        EXPECT_TRUE(std::equal(src.At(4, 20), src.At(4, 20) + 4, rotated.At(x, y)));
    }
}

TEST(FrameTransformerTest, ScalingFollowsBilinearAndPartialUpdatesMatchAFullPass) {
    struct Case {
        const char* name;
        int rotation;
        int outW, outH;
    } cases[] = {
        {"down", 0, 120, 70},
        {"up", 0, 300, 150},
        {"down with a quarter turn", 1, 70, 120},
        {"down, half turn", 2, 64, 48},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Picture src = Gradient(200, 100);
        FrameTransformer t;
        ASSERT_TRUE(t.Configure(200, 100, c.rotation, c.outW, c.outH, COLOR_FORMAT_BGRX));
        t.Transform(src.bytes.data(), src.Stride(), CaptureRect::FromSize(200, 100));
        const Picture rotated = ReferenceRotate(src, c.rotation);
        const std::vector<uint8_t> out = Stage(t, src);
        int worst = 0;
        for (int y = 0; y < c.outH; ++y) {
            for (int x = 0; x < c.outW; ++x) {
                for (int ch = 0; ch < 3; ++ch) {
                    const int want = ReferenceBilinear(rotated, c.outW, c.outH, x, y, ch);
                    const int have = out[(static_cast<size_t>(y) * c.outW + x) * 4 + ch];
                    worst = std::max(worst, std::abs(want - have));
                }
            }
        }
        EXPECT_LE(worst, 3);

        // A changed area, passed alone, leaves the same output as a full pass.
        Picture patch = Random(200, 100, 3);
        const CaptureRect changed{50, 20, 66, 36};
        for (int y = changed.top; y < changed.bottom; ++y) {
            std::copy_n(patch.At(changed.left, y), changed.Width() * 4, src.At(changed.left, y));
        }
        const CaptureRect reported = t.Transform(src.bytes.data(), src.Stride(), changed);
        FrameTransformer full;
        ASSERT_TRUE(full.Configure(200, 100, c.rotation, c.outW, c.outH, COLOR_FORMAT_BGRX));
        full.Transform(src.bytes.data(), src.Stride(), CaptureRect::FromSize(200, 100));
        const std::vector<uint8_t> partial = Stage(t, src);
        const std::vector<uint8_t> whole = Stage(full, src);
        EXPECT_EQ(partial, whole);
        // And everything that differs from before lies inside the reported area.
        for (int y = 0; y < c.outH; ++y) {
            for (int x = 0; x < c.outW; ++x) {
                const size_t i = (static_cast<size_t>(y) * c.outW + x) * 4;
                if (!std::equal(&out[i], &out[i] + 3, &partial[i])) {
                    EXPECT_TRUE(x >= reported.left && x < reported.right && y >= reported.top &&
                                y < reported.bottom)
                        << x << "," << y;
                }
            }
        }
    }
}

TEST(FrameTransformerTest, SixteenBitOutputsPackLikeTheReference) {
    struct Case {
        const char* name;
        uint32_t format;
    } cases[] = {{"5-6-5", COLOR_FORMAT_RGB565}, {"5-5-5", COLOR_FORMAT_RGB555}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // An odd width: rows of 2-byte pixels are not 4-byte multiples.
        Picture src = Random(13, 7, 4);
        FrameTransformer t;
        ASSERT_TRUE(t.Configure(13, 7, 0, 13, 7, c.format));
        t.Transform(src.bytes.data(), src.Stride(), CaptureRect::FromSize(13, 7));
        t.Convert(src.bytes.data(), src.Stride(), CaptureRect::FromSize(13, 7));
        EXPECT_EQ(t.OutputStride(src.Stride()), 26);
        const uint8_t* out = t.Output(src.bytes.data());
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 13; ++x) {
                const uint8_t* p = src.At(x, y);
                const unsigned b = p[0], g = p[1], r = p[2];
                const unsigned want = c.format == COLOR_FORMAT_RGB565
                                          ? ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)
                                          : ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
                const size_t i = (static_cast<size_t>(y) * 13 + x) * 2;
                unsigned have = out[i] | (out[i + 1] << 8);
                if (c.format == COLOR_FORMAT_RGB555) {
                    have &= 0x7FFF;  // the top bit is not part of the colour
                }
                ASSERT_EQ(have, want) << x << "," << y;
            }
        }
    }
}

TEST(FrameTransformerTest, RejectsUnusableSizesAndFormats) {
    FrameTransformer t;
    EXPECT_FALSE(t.Configure(0, 10, 0, 10, 10, COLOR_FORMAT_BGRX));
    EXPECT_FALSE(t.Configure(10, 10, 0, -1, 10, COLOR_FORMAT_BGRX));
    EXPECT_FALSE(t.Configure(10, 10, 0, 10, 10, COLOR_FORMAT_NONE));
    EXPECT_TRUE(t.Configure(10, 10, 5, 10, 10, COLOR_FORMAT_BGRX));  // five quarter turns: one
    EXPECT_EQ(t.RotatedWidth(), 10);
}

}  // namespace
