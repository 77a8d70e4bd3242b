#include <gtest/gtest.h>

#include <cstring>

#include "tests/receiver/image/ImageMessageParser.h"
#include "tests/receiver/image/golden_message.h"
#include "vrxclientsdk/VRXClient/imagechannel/ImageBlockMessage.h"

namespace {

ImageBlockFields GoldenFields() {
    ImageBlockFields f;
    f.bitsPerPixel = 32;
    f.encoding = 4;
    f.et = 0x01020304;
    f.x1 = 0;
    f.y1 = 0;
    f.x2 = 1279;
    f.y2 = 719;
    f.rawSize = 32u * 1280 * 720 / 8;
    f.serial = 1;
    f.split = 128;
    f.fsn = 1;
    f.ftot = 1;
    return f;
}

}  // namespace

TEST(ImageBlockMessageTest, WritesTheGoldenBytesAroundTheEncodedData) {
    ImageBlockMessage message;
    ASSERT_TRUE(message.Reserve(16));
    std::memcpy(message.EncodedArea(), "abc", 3);
    message.Finish(GoldenFields(), 3);
    const std::vector<uint8_t> golden = GoldenImageMessage();
    ASSERT_EQ(message.Size(), golden.size());
    EXPECT_EQ(std::vector<uint8_t>(message.Data(), message.Data() + message.Size()), golden);
    EXPECT_EQ(ImageBlockMessage::CheckValue(GoldenFields()), 3688398u);
}

TEST(ImageBlockMessageTest, FieldRulesHoldOnTheWire) {
    struct Case {
        const char* name;
        int encoding, wireEncoding;
        int32_t x1, x2;
    } cases[] = {
        {"H.264 kept", 7, 7, 0, 15},
        {"LZO", 2, 2, 0, 15},
        {"other codings sent as 2", 5, 2, 0, 15},
        {"coordinates cut to 16 bits", 4, 4, 65536 + 16, 65536 + 31},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageBlockFields f = GoldenFields();
        f.encoding = c.encoding;
        f.x1 = c.x1;
        f.x2 = c.x2;
        f.y2 = 15;
        f.rawSize = 32u * 16 * 16 / 8;
        ImageBlockMessage message;
        ASSERT_TRUE(message.Reserve(4));
        message.Finish(f, 4);
        EXPECT_EQ(message.Data()[8], c.wireEncoding);
        EXPECT_EQ((message.Data()[14] << 8) | message.Data()[15], c.x1 & 0xFFFF);
        // The check value sums the full coordinates.
        const uint32_t check = (uint32_t{message.Data()[26]} << 24) |
                               (uint32_t{message.Data()[27]} << 16) |
                               (uint32_t{message.Data()[28]} << 8) | message.Data()[29];
        EXPECT_EQ(check, static_cast<uint32_t>(c.x1 + c.x2 + 15) + f.rawSize);
    }
}

TEST(ImageBlockMessageTest, ReservingLessKeepsTheBufferAndItsAddress) {
    ImageBlockMessage message;
    ASSERT_TRUE(message.Reserve(1000));
    uint8_t* area = message.EncodedArea();
    ASSERT_TRUE(message.Reserve(10));
    EXPECT_EQ(message.EncodedArea(), area);
    EXPECT_EQ(message.EncodedCapacity(), 1000u);
}

TEST(ImageBlockMessageTest, TheSimulatorsParserAcceptsBuiltMessages) {
    receiver::ImageMessageParser parser(false);
    ImageBlockMessage message;
    ASSERT_TRUE(message.Reserve(64));
    for (uint32_t serial = 1; serial <= 3; ++serial) {
        ImageBlockFields f = GoldenFields();
        f.serial = serial;
        f.fsn = static_cast<uint16_t>(serial);
        f.ftot = 3;
        std::memset(message.EncodedArea(), 0x55, 64);
        message.Finish(f, 64);
        parser.Append(message.Data(), message.Size());
        ASSERT_EQ(parser.Next(), receiver::ImageMessageParser::Item::kMessage) << parser.Error();
        EXPECT_EQ(parser.Header().fsn, serial);
    }
}
