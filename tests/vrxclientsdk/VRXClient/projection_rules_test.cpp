// The number rules of a projection start: coding choice, H.264 worth,
// frame-buffer size, offered bit depth and pointer frame rate.
#include "vrxclientsdk/VRXClient/ProjectionRules.h"

#include <gtest/gtest.h>

#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace projection {
namespace {

TEST(ProjectionRulesTest, CodingChoiceTable) {
    const std::vector<uint8_t> all = {2, 4, 7};
    struct Case {
        const char* name;
        std::vector<uint8_t> listed;
        bool jpeg, h264;
        uint8_t mode;
        bool file;
        int setting;
        bool worth;
        int expected;
    } cases[] = {
        {"only JPEG listed, no JPEG encoder",
         {4},
         false,
         true,
         0x80,
         false,
         0,
         true,
         qkerr::kNoJpegEncoder},
        {"JPEG and raw listed, no JPEG encoder: raw",
         {2, 4},
         false,
         true,
         0x80,
         false,
         0,
         false,
         2},
        {"full screen, H.264 worth it", all, true, true, 0x80, false, 0, true, 7},
        {"H.264 not worth it: JPEG", all, true, true, 0x80, false, 0, false, 4},
        {"H.264 module missing: JPEG", all, true, false, 0x80, false, 0, true, 4},
        {"picture file never H.264", all, true, true, 0x80, true, 0, true, 4},
        {"split position with raw listed: raw", all, true, true, 1, false, 7, true, 2},
        {"split position 4 with raw listed: raw", all, true, true, 4, false, 0, true, 2},
        {"split position without raw: JPEG", {4, 7}, true, true, 2, false, 0, true, 4},
        {"raw setting: raw", all, true, true, 0x80, false, 2, false, 2},
        {"nothing loaded: raw", all, false, false, 0x80, false, 0, true, 2},
        {"only H.264 listed, not worth it: raw", {7}, true, true, 0x80, false, 0, false, 2},
        {"mode above 0x80 counts as full screen", all, true, true, 0x90, false, 0, true, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CodingInputs in;
        in.receiverCodings = c.listed;
        in.jpegLoaded = c.jpeg;
        in.h264Loaded = c.h264;
        in.mode = c.mode;
        in.imageFile = c.file;
        in.codingSetting = c.setting;
        in.h264Worth = c.worth;
        EXPECT_EQ(ChooseImageCoding(in), c.expected);
    }
}

TEST(ProjectionRulesTest, H264WorthTable) {
    struct Case {
        const char* name;
        int setting;
        bool fbf2Bit10;
        uint16_t preBuf;
        bool oldMaker;
        int quality;
        uint32_t iw, ih, cw, ch;
        bool expected;
    } cases[] = {
        {"setting 7", 7, false, 0, false, 85, 0, 0, 0, 0, true},
        {"setting 4", 4, true, 500, false, 85, 1920, 1080, 1920, 1080, false},
        {"receiver prefers H.264", 0, true, 0, false, 85, 0, 0, 0, 0, true},
        {"no pre-buffer time", 0, false, 0, false, 85, 1920, 1080, 1920, 1080, false},
        {"old maker receiver", 0, false, 500, true, 85, 1920, 1080, 1920, 1080, false},
        // 800 x 600 on a 1920 x 1080 receiver is 480000 pixels.
        {"480000 at quality 85", 0, false, 500, false, 85, 1920, 1080, 800, 600, true},
        {"480000 at quality 80", 0, false, 500, false, 80, 1920, 1080, 800, 600, false},
        {"799 x 600 at quality 85", 0, false, 500, false, 85, 1920, 1080, 799, 600, false},
        {"1281 x 576 at quality 80", 0, false, 500, false, 80, 1920, 1080, 1281, 576, true},
        {"737280 at quality 80", 0, false, 500, false, 80, 1920, 1080, 1280, 576, false},
        {"area limited by the receiver", 0, false, 500, false, 85, 640, 480, 1920, 1080, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        H264Inputs in;
        in.codingSetting = c.setting;
        in.hasFbf2Bit10 = c.fbf2Bit10;
        in.preBufTime = c.preBuf;
        in.oldMakerReceiver = c.oldMaker;
        in.jpegQuality = c.quality;
        in.receiverWidth = c.iw;
        in.receiverHeight = c.ih;
        in.captureWidth = c.cw;
        in.captureHeight = c.ch;
        EXPECT_EQ(ShouldUseH264(in), c.expected);
    }
}

TEST(ProjectionRulesTest, FrameBufferSizeTable) {
    struct Case {
        const char* name;
        int enlarge, cw, ch, offX, offY;
        uint16_t iw, ih;
        int aspect;
        uint16_t w, h;
    } cases[] = {
        {"receiver large enough: its own size", 1, 1280, 720, 0, 0, 1920, 1080, 2, 1920, 1080},
        {"aspect false: wanted size", 1, 1920, 1200, 0, 0, 1920, 1080, 0, 1920, 1200},
        {"offset forces the wanted size", 1, 1920, 1080, 10, 5, 1920, 1080, 1, 1940, 1090},
        {"taller capture, aspect kept", 1, 1920, 1200, 0, 0, 1920, 1080, 1, 2133, 1200},
        {"wider capture, indeterminate", 1, 2560, 1080, 0, 0, 1920, 1080, 2, 2560, 1440},
        {"enlarge 2 divides again", 2, 1920, 1200, 0, 0, 1920, 1080, 1, 2133, 1200},
        {"enlarge 2, receiver large enough", 2, 640, 480, 0, 0, 1920, 1080, 1, 960, 540},
        {"zero receiver width: wanted size", 1, 800, 600, 0, 0, 0, 1080, 1, 800, 600},
        {"zero receiver height: wanted size", 1, 800, 600, 0, 0, 1920, 0, 2, 800, 600},
        {"zero enlarge counts as 1", 0, 1920, 1200, 0, 0, 1920, 1080, 0, 1920, 1200},
        {"zero capture: the receiver's size", 1, 0, 0, 0, 0, 1920, 1080, 1, 1920, 1080},
        {"huge values clamp to 16 bits", 1, 70000, 70000, 0, 0, 100, 50, 1, 65535, 65535},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FrameSizeInputs in;
        in.enlarge = c.enlarge;
        in.captureWidth = c.cw;
        in.captureHeight = c.ch;
        in.offsetX = c.offX;
        in.offsetY = c.offY;
        in.receiverWidth = c.iw;
        in.receiverHeight = c.ih;
        in.aspect = c.aspect;
        const FrameSize size = ComputeFrameBufferSize(in);
        EXPECT_EQ(size.width, c.w);
        EXPECT_EQ(size.height, c.h);
    }
}

TEST(ProjectionRulesTest, OfferedBitsAndMouseFps) {
    EXPECT_EQ(OfferedBitsPerPixel(16, 32, false, false), 16);
    EXPECT_EQ(OfferedBitsPerPixel(0, 16, true, false), 16);
    EXPECT_EQ(OfferedBitsPerPixel(0, 16, false, false), 15);
    EXPECT_EQ(OfferedBitsPerPixel(0, 32, false, true), 32);
    EXPECT_EQ(OfferedBitsPerPixel(0, 32, false, false), 24);
    EXPECT_EQ(OfferedBitsPerPixel(0, 24, false, false), 24);

    struct Case {
        const char* name;
        uint8_t coding;
        bool above011F;
        uint16_t preBuf;
        uint8_t fps, byte15;
        int expected;
    } cases[] = {
        {"H.264 default", 7, false, 0, 60, 2, 30},
        {"H.264 capability below 30", 7, true, 300, 25, 0, 25},
        {"H.264 capability capped at 30", 7, true, 300, 60, 0, 30},
        {"H.264 without pre-buffer", 7, true, 0, 25, 0, 30},
        {"JPEG default", 4, true, 300, 25, 0, 70},
        {"JPEG with byte 15 = 2", 4, true, 300, 25, 2, 25},
        {"raw on an old receiver", 2, false, 300, 25, 2, 70},
        {"zero capability rate keeps the default", 4, true, 300, 0, 2, 70},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MouseFpsInputs in{c.coding, c.above011F, c.preBuf, c.fps, c.byte15};
        EXPECT_EQ(MouseFps(in), c.expected);
    }
}

}  // namespace
}  // namespace projection
