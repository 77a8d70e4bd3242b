#include "platform/draw/color.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(ColorTest, ColorRefAndArgbConvertChannelByChannel) {
    struct Case {
        uint32_t colorRef;  // 0x00BBGGRR
        uint32_t argb;      // 0xAARRGGBB, opaque
    } cases[] = {
        {0xBC6B1A, 0xFF1A6BBC},  // the skin's blue, as an outline and as a fill
        {0x0000FF, 0xFFFF0000},  // red sits in the low byte of a ColorRef
        {0xFF0000, 0xFF0000FF}, {0xFFFFFF, 0xFFFFFFFF}, {0x000000, 0xFF000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.colorRef);
        EXPECT_EQ(ToArgb(ColorRef(c.colorRef)), Argb(c.argb));
        EXPECT_EQ(ToColorRef(Argb(c.argb)), ColorRef(c.colorRef));
    }
    EXPECT_EQ(ToArgb(ColorRef(0x0000FF), 0x40), Argb(0x40FF0000));
    EXPECT_EQ(ToColorRef(Argb(0x12345678)), ColorRef::FromRgb(0x34, 0x56, 0x78));
    // A ColorRef has no alpha: stray high bits are dropped.
    EXPECT_EQ(ColorRef(0xFF123456).value, 0x123456u);
}

}  // namespace
}  // namespace platform
