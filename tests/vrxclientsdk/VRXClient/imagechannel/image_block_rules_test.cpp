#include <gtest/gtest.h>

#include "vrxclientsdk/VRXClient/imagechannel/ImageBlockRules.h"

namespace {

IMAGE_BLOCK Rect(int x1, int y1, int x2, int y2) {
    IMAGE_BLOCK b;
    b.x1 = x1;
    b.y1 = y1;
    b.x2 = x2;
    b.y2 = y2;
    b.width = static_cast<uint32_t>(x2 - x1 + 1);
    b.height = static_cast<uint32_t>(y2 - y1 + 1);
    return b;
}

}  // namespace

TEST(ImageBlockRulesTest, JpegQualityTable) {
    struct Case {
        int w, h;
        bool refresh, q100;
        int quality, expected;
    } cases[] = {
        {95, 96, false, false, 60, 100},  // 9120 pixels: small
        {96, 96, false, false, 60, 80},   // 9216: at least 80
        {96, 96, false, false, 85, 85},
        {640, 540, false, false, 60, 80},  // 345600: not above the limit
        {640, 541, false, false, 60, 60},  // 346240: the configured quality
        {640, 541, true, false, 60, 100},  // refresh
        {640, 541, false, true, 60, 100},  // quality-100 flag
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " q" << c.quality);
        EXPECT_EQ(JpegQualityFor(c.w, c.h, c.refresh, c.q100, c.quality), c.expected);
    }
}

TEST(ImageBlockRulesTest, JpegAlignmentTable) {
    struct Case {
        const char* name;
        IMAGE_BLOCK in;
        int fbw, outH;
        int x1, y1, x2, y2;
    } cases[] = {
        {"grid", Rect(20, 5, 40, 9), 1280, 720, 16, 0, 47, 15},
        {"two bands", Rect(0, 10, 15, 20), 1280, 720, 0, 0, 15, 31},
        {"last column", Rect(1270, 0, 1275, 15), 1276, 720, 1264, 0, 1275, 15},
        {"shifted up at the bottom", Rect(0, 700, 15, 711), 1280, 712, 0, 680, 15, 711},
        {"output lower than a band", Rect(0, 2, 15, 5), 1280, 10, 0, 0, 15, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IMAGE_BLOCK b = c.in;
        AlignJpegBlock(b, c.fbw, c.outH);
        EXPECT_EQ(b.x1, c.x1);
        EXPECT_EQ(b.y1, c.y1);
        EXPECT_EQ(b.x2, c.x2);
        EXPECT_EQ(b.y2, c.y2);
        EXPECT_EQ(b.height, static_cast<uint32_t>(c.y2 - c.y1 + 1));
    }
}

TEST(ImageBlockRulesTest, JpegHeightExtendsDownToTheOutputEdge) {
    struct Case {
        int y1, y2, outH, expectedY2;
    } cases[] = {
        {0, 15, 720, 15},
        {0, 16, 720, 31},
        {0, 30, 720, 31},
        {700, 705, 710, 709},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.y1 << ".." << c.y2);
        IMAGE_BLOCK b = Rect(0, c.y1, 15, c.y2);
        ExtendJpegHeight(b, c.outH);
        EXPECT_EQ(b.y2, c.expectedY2);
    }
}

TEST(ImageBlockRulesTest, RawBlocksAreCutIntoStripsThatFit) {
    struct Case {
        const char* name;
        int w, h, bits;
        uint32_t max;
        size_t strips;
    } cases[] = {
        {"1,000,000 bytes in 393216", 500, 500, 32, 393216, 3},
        {"fits whole", 100, 100, 32, 40000, 1},
        {"last strip no larger than the rest", 100, 3, 32, 600, 3},
        {"16-bit odd width", 333, 101, 16, 8192, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IMAGE_BLOCK b = Rect(10, 20, 10 + c.w - 1, 20 + c.h - 1);
        b.et = 77;
        b.fsn = 2;
        b.ftot = 3;
        IMAGE_BLOCK strips[16];
        const size_t n = SplitIntoStrips(b, c.bits, c.max, strips, 16);
        ASSERT_EQ(n, c.strips);
        int nextRow = b.y1;
        for (size_t i = 0; i < n; ++i) {
            EXPECT_EQ(strips[i].y1, nextRow);
            EXPECT_EQ(strips[i].x1, b.x1);
            EXPECT_EQ(strips[i].x2, b.x2);
            EXPECT_LE(strips[i].size, c.max);
            EXPECT_EQ(strips[i].size, BlockBytes(c.bits, c.w, static_cast<int>(strips[i].height)));
            EXPECT_EQ(strips[i].et, i == 0 ? 77u : 0u);
            EXPECT_EQ(strips[i].fsn, 2);
            EXPECT_EQ(strips[i].ftot, 3);
            nextRow = strips[i].y2 + 1;
        }
        EXPECT_EQ(nextRow, b.y2 + 1);
    }
}
