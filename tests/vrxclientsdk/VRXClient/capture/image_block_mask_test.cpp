#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"

namespace {

constexpr unsigned char kGuard = 0xA5;

IMAGE_BLOCK FrameBlock(std::vector<unsigned char>& frame, uint32_t stride, uint32_t rows,
                       uint32_t from, uint32_t to) {
    IMAGE_BLOCK b;
    b.pBits = frame.data();
    b.stride = stride;
    b.frameRows = rows;
    b.sourceFormat = from;
    b.colorFormat = to;
    return b;
}

void SetRect(IMAGE_BLOCK& b, int x1, int y1, int x2, int y2) {
    b.x1 = x1;
    b.y1 = y1;
    b.x2 = x2;
    b.y2 = y2;
}

}  // namespace

TEST(IBMaskTest, ConvertsEachFormatByItsByteOrder) {
    struct Case {
        uint32_t from;
        std::vector<unsigned char> in;
        uint32_t to;
        std::vector<unsigned char> out;
    } cases[] = {
        {COLOR_FORMAT_BGRX, {0x10, 0x20, 0x30, 0x99}, COLOR_FORMAT_BGRX, {0x10, 0x20, 0x30, 0x99}},
        {COLOR_FORMAT_BGRX, {0x10, 0x20, 0x30, 0x99}, COLOR_FORMAT_JPEG, {0x10, 0x20, 0x30, 0x99}},
        {COLOR_FORMAT_BGRX, {0x10, 0x20, 0x30, 0x99}, COLOR_FORMAT_BGRA, {0x10, 0x20, 0x30, 0xFF}},
        {COLOR_FORMAT_BGRX, {0x10, 0x20, 0x30, 0x99}, COLOR_FORMAT_RGBX, {0x30, 0x20, 0x10, 0xFF}},
        {COLOR_FORMAT_BGRX, {0x10, 0x20, 0x30, 0x99}, COLOR_FORMAT_RGB565, {0x02, 0x31}},
        {COLOR_FORMAT_BGRX, {0x10, 0x20, 0x30, 0x99}, COLOR_FORMAT_RGB555, {0x82, 0x18}},
        {COLOR_FORMAT_BGRA, {1, 2, 3, 4}, COLOR_FORMAT_BGRA, {1, 2, 3, 4}},
        {COLOR_FORMAT_BGRA, {1, 2, 3, 4}, COLOR_FORMAT_BGRX, {1, 2, 3, 4}},
        {COLOR_FORMAT_RGBX, {0x30, 0x20, 0x10, 0}, COLOR_FORMAT_BGRX, {0x10, 0x20, 0x30, 0xFF}},
        {COLOR_FORMAT_RGB565, {0xFF, 0xFF}, COLOR_FORMAT_BGRX, {0xFF, 0xFF, 0xFF, 0xFF}},
        {COLOR_FORMAT_RGB565, {0x00, 0xF8}, COLOR_FORMAT_BGRA, {0x00, 0x00, 0xFF, 0xFF}},
        {COLOR_FORMAT_RGB565, {0xE0, 0x07}, COLOR_FORMAT_RGB555, {0xE0, 0x03}},
        {COLOR_FORMAT_RGB555, {0x1F, 0x00}, COLOR_FORMAT_RGBX, {0x00, 0x00, 0xFF, 0xFF}},
        {COLOR_FORMAT_RGB555, {0x00, 0x7C}, COLOR_FORMAT_RGB565, {0x00, 0xF8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from << " to " << c.to);
        std::vector<unsigned char> frame = c.in;
        IMAGE_BLOCK b = FrameBlock(frame, static_cast<uint32_t>(frame.size()), 1, c.from, c.to);
        std::vector<unsigned char> out(c.out.size() + 4, kGuard);
        EXPECT_EQ(IBMask(out.data(), &b), c.out.size());
        EXPECT_EQ(std::vector<unsigned char>(out.begin(), out.begin() + c.out.size()), c.out);
        EXPECT_EQ(out[c.out.size()], kGuard);
    }
}

TEST(IBMaskTest, CopiesTheRectangleOutOfAPaddedFrame) {
    // 5 x 4 pixels, rows padded to 24 bytes; each pixel holds (x, y, 0, 0).
    std::vector<unsigned char> frame(24 * 4, 0xEE);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            unsigned char* p = &frame[y * 24 + x * 4];
            p[0] = static_cast<unsigned char>(x);
            p[1] = static_cast<unsigned char>(y);
            p[2] = p[3] = 0;
        }
    }
    IMAGE_BLOCK b = FrameBlock(frame, 24, 4, COLOR_FORMAT_BGRX, COLOR_FORMAT_BGRX);
    SetRect(b, 1, 1, 3, 2);
    std::vector<unsigned char> out(3 * 2 * 4 + 1, kGuard);
    ASSERT_EQ(IBMask(out.data(), &b), 24u);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
            EXPECT_EQ(out[(y * 3 + x) * 4 + 0], x + 1);
            EXPECT_EQ(out[(y * 3 + x) * 4 + 1], y + 1);
        }
    }
    EXPECT_EQ(out.back(), kGuard);
}

TEST(IBMaskTest, WritesBlackOutsideTheFrameAndNeverReadsPastIt) {
    // A 3 x 2 frame of white 16-bit pixels, rows unpadded (odd width).
    std::vector<unsigned char> frame(3 * 2 * 2, 0xFF);
    IMAGE_BLOCK b = FrameBlock(frame, 6, 2, COLOR_FORMAT_RGB565, COLOR_FORMAT_RGB565);
    SetRect(b, -1, -1, 3, 2);  // one pixel beyond every edge: 5 x 4
    std::vector<unsigned char> out(5 * 4 * 2 + 2, kGuard);
    ASSERT_EQ(IBMask(out.data(), &b), 40u);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
            const bool inside = x >= 1 && x <= 3 && y >= 1 && y <= 2;
            EXPECT_EQ(out[(y * 5 + x) * 2], inside ? 0xFF : 0);
            EXPECT_EQ(out[(y * 5 + x) * 2 + 1], inside ? 0xFF : 0);
        }
    }
    EXPECT_EQ(out[40], kGuard);
    EXPECT_EQ(out[41], kGuard);
}

TEST(IBMaskTest, RejectsUnusableBlocksWithoutWriting) {
    std::vector<unsigned char> frame(16, 1);
    struct Case {
        const char* name;
        IMAGE_BLOCK block;
    } cases[] = {
        {"unknown target format", FrameBlock(frame, 8, 2, COLOR_FORMAT_BGRX, 6)},
        {"unknown source format", FrameBlock(frame, 8, 2, 0, COLOR_FORMAT_BGRX)},
        {"empty rectangle", FrameBlock(frame, 8, 2, COLOR_FORMAT_BGRX, COLOR_FORMAT_BGRX)},
        {"no pixels", FrameBlock(frame, 8, 2, COLOR_FORMAT_BGRX, COLOR_FORMAT_BGRX)},
    };
    cases[2].block.x2 = -1;
    cases[3].block.pBits = nullptr;
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        unsigned char out[8];
        std::memset(out, kGuard, sizeof out);
        EXPECT_EQ(IBMask(out, &c.block), 0u);
        EXPECT_EQ(out[0], kGuard);
    }
}
