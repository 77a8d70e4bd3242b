// The drop shadow's picture: its size and place, the soft edge after the
// shape has shrunk, clear pixels under the window, round corners from a
// round window, and any parameters kept inside the picture.
#include "ui/widgets/shadow_maker.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

using platform::Rect;
using platform::Region;
using platform::Size;

uint32_t RawPixel(const platform::Surface& s, int x, int y) {
    return s.ConstPixels()[y * (s.Stride() / 4) + x];
}
int AlphaAt(const platform::Surface& s, int x, int y) {
    return static_cast<int>(RawPixel(s, x, y) >> 24);
}

TEST(ShadowMakerTest, ADialogOf350By222GetsA356By228ShadowTwoPixelsOff) {
    EXPECT_EQ(ShadowRect(Rect::FromXywh(100, 100, 350, 222), {}),
              Rect::FromXywh(102, 102, 356, 228));
    std::unique_ptr<platform::Surface> s = MakeShadow(std::nullopt, {350, 222}, {});
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Width(), 356);
    EXPECT_EQ(s->Height(), 228);
    // Seven shrink passes (sharpness 10 less size 3) put the shape's right
    // edge at x 345 (row 114) and its bottom edge at y 217; the edge fades
    // as (1 - d / 11) x 75 from there. The window covers x < 348 and y < 220.
    struct Row {
        int x, y, alpha;
    } rows[] = {
        // clang-format off
        {347, 114, 0}, {200, 219, 0}, {0, 0, 0},      // under the window
        {348, 114, 54}, {350, 114, 40}, {355, 114, 6}, // right edge, d = 3, 5, 10
        {200, 220, 54}, {200, 227, 6},                // bottom edge
        {355, 227, 0},                                // the corner is round: d > 10
        {350, 222, 26},                               // d = 7.07
        // clang-format on
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.x) + "," + std::to_string(r.y));
        EXPECT_EQ(AlphaAt(*s, r.x, r.y), r.alpha);
        EXPECT_EQ(RawPixel(*s, r.x, r.y) & 0xFFFFFFu, 0u) << "black";
    }
}

TEST(ShadowMakerTest, FullDarknessInsideAndPremultipliedColour) {
    ShadowParams p;
    p.xOffset = 20;  // the window off to the top-left: the inside shows
    p.yOffset = 20;
    p.colour = platform::ColorRef::FromRgb(255, 128, 0);
    std::unique_ptr<platform::Surface> s = MakeShadow(std::nullopt, {350, 222}, p);
    ASSERT_NE(s, nullptr);
    // The window covers x < 333, y < 205; the shape's inside is x 10..345.
    EXPECT_EQ(RawPixel(*s, 340, 210), (75u << 24) | (75u << 16) | (37u << 8));
    EXPECT_EQ(AlphaAt(*s, 332, 204), 0);
    EXPECT_EQ(AlphaAt(*s, 345, 217), 75) << "the edge pixel itself";
    EXPECT_EQ(AlphaAt(*s, 348, 217), 54);
}

TEST(ShadowMakerTest, ARoundWindowGetsRoundShadowCorners) {
    const Size size{350, 222};
    std::unique_ptr<platform::Surface> square = MakeShadow(std::nullopt, size, {});
    std::unique_ptr<platform::Surface> round =
        MakeShadow(Region::FromRoundRect({0, 0, 350, 222}, 60, 60), size, {});
    ASSERT_TRUE(square && round);
    EXPECT_EQ(AlphaAt(*round, 200, 222), AlphaAt(*square, 200, 222)) << "the straight edges agree";
    EXPECT_EQ(AlphaAt(*round, 350, 114), AlphaAt(*square, 350, 114));
    EXPECT_GT(AlphaAt(*square, 350, 222), 0);
    EXPECT_LT(AlphaAt(*round, 350, 222), AlphaAt(*square, 350, 222) / 2) << "the corner";
    EXPECT_EQ(AlphaAt(*round, 352, 224), 0);
}

TEST(ShadowMakerTest, AnyParametersStayInsideThePicture) {
    const int8_t sizes[] = {-128, -3, 0, 1, 3, 40, 127};
    const int8_t offsets[] = {-128, -5, 0, 5, 127};
    const uint8_t sharpnesses[] = {0, 1, 10, 255};
    const Size parents[] = {{1, 1}, {20, 10}, {3, 40}, {0, 5}, {-4, 8}};
    int made = 0;
    for (Size parent : parents) {
        for (int8_t size : sizes) {
            for (uint8_t sharpness : sharpnesses) {
                for (int8_t offset : offsets) {
                    ShadowParams p;
                    p.size = size;
                    p.sharpness = sharpness;
                    p.xOffset = offset;
                    p.yOffset = static_cast<int8_t>(-offset - 1);
                    p.darkness = static_cast<uint8_t>(sharpness ^ 0xA5);
                    SCOPED_TRACE(testing::Message()
                                 << parent.width << "x" << parent.height << " size " << int{size}
                                 << " sharpness " << int{sharpness} << " offset " << int{offset});
                    std::unique_ptr<platform::Surface> s = MakeShadow(
                        Region::FromRoundRect({-2, -2, parent.width + 2, parent.height}, 9, 9),
                        parent, p);
                    const int w = parent.width + 2 * size;
                    const int h = parent.height + 2 * size;
                    if (parent.width <= 0 || parent.height <= 0 || w <= 0 || h <= 0) {
                        EXPECT_EQ(s, nullptr);
                        continue;
                    }
                    ASSERT_NE(s, nullptr);
                    EXPECT_EQ(s->Width(), w);
                    EXPECT_EQ(s->Height(), h);
                    ++made;
                }
            }
        }
    }
    EXPECT_GT(made, 100);
}

}  // namespace
}  // namespace ui
