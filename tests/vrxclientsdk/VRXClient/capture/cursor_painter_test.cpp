#include "vrxclientsdk/VRXClient/capture/CursorPainter.h"

#include <gtest/gtest.h>

#include <vector>

using platform::CaptureRect;
using platform::CursorSprite;

namespace {

// A 4 x 4 sprite: opaque red top half, half-transparent white bottom half
// (premultiplied: 0x80 alpha with 0x80 colour), hot spot (1, 1).
CursorSprite Sprite() {
    CursorSprite s;
    s.width = 4;
    s.height = 4;
    s.hotX = 1;
    s.hotY = 1;
    for (int i = 0; i < 16; ++i) {
        s.argb.push_back(i < 8 ? 0xFFFF0000u : 0x80808080u);
    }
    return s;
}

TEST(CursorPainterTest, PaintsOverAndRestoresExactly) {
    struct Case {
        const char* name;
        int x, y;
        double scale;
        CaptureRect painted;
    } cases[] = {
        {"inside", 5, 5, 1.0, {4, 4, 8, 8}},
        {"clipped at the top left", 0, 0, 1.0, {0, 0, 3, 3}},
        {"clipped at the bottom right", 10, 10, 1.0, {9, 9, 10, 10}},
        {"doubled", 5, 5, 2.0, {3, 3, 10, 10}},
        {"off the picture", 40, 40, 1.0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> picture(10 * 10 * 4, 0x40);
        const std::vector<uint8_t> before = picture;
        CursorPainter painter;
        EXPECT_EQ(painter.Paint(picture.data(), 40, 10, 10, Sprite(), c.x, c.y, c.scale),
                  c.painted);
        if (!c.painted.IsEmpty()) {
            const uint8_t* first =
                &picture[(static_cast<size_t>(c.painted.top) * 10 + c.painted.left) * 4];
            if (c.name == std::string("inside")) {
                // Opaque red replaces; premultiplied white at half alpha over
                // 0x40 gives 0x80 + 0x40 * 127 / 255.
                EXPECT_EQ(first[2], 0xFF);
                EXPECT_EQ(first[0], 0x00);
                const uint8_t* lower = &picture[(static_cast<size_t>(6) * 10 + 4) * 4];
                EXPECT_EQ(lower[0], 0x80 + (0x40 * 127 + 127) / 255);
            }
        }
        EXPECT_EQ(painter.Restore(picture.data(), 40), c.painted);
        EXPECT_EQ(picture, before);
        EXPECT_TRUE(painter.Restore(picture.data(), 40).IsEmpty());
    }
}

TEST(CursorPainterTest, IgnoresBrokenSprites) {
    std::vector<uint8_t> picture(10 * 10 * 4, 0);
    CursorPainter painter;
    CursorSprite s = Sprite();
    s.argb.resize(3);  // fewer pixels than its size says
    EXPECT_TRUE(painter.Paint(picture.data(), 40, 10, 10, s, 5, 5, 1.0).IsEmpty());
    EXPECT_TRUE(painter.Paint(picture.data(), 40, 10, 10, Sprite(), 5, 5, 0.0).IsEmpty());
}

}  // namespace
