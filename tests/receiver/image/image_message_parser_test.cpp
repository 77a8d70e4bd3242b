#include <gtest/gtest.h>

#include <cstring>

#include "tests/receiver/image/ImageMessageParser.h"
#include "tests/receiver/image/golden_message.h"

using receiver::ImageMessageParser;

TEST(ImageMessageParserTest, ReadsTheGoldenMessageByteByByte) {
    const std::vector<uint8_t> m = GoldenImageMessage();
    ASSERT_EQ(m.size(), 88u + 3);
    ImageMessageParser parser(false);
    for (size_t i = 0; i + 1 < m.size(); ++i) {
        parser.Append(&m[i], 1);
        ASSERT_EQ(parser.Next(), ImageMessageParser::Item::kNeedMore) << "after byte " << i;
    }
    parser.Append(&m.back(), 1);
    ASSERT_EQ(parser.Next(), ImageMessageParser::Item::kMessage) << parser.Error();
    const receiver::ImageBlockHeader& h = parser.Header();
    EXPECT_EQ(h.bitsPerPixel, 32);
    EXPECT_EQ(h.encoding, 4);
    EXPECT_EQ(h.et, 0x01020304u);
    EXPECT_EQ(h.x2, 1279);
    EXPECT_EQ(h.y2, 719);
    EXPECT_EQ(h.rawSize, 3686400u);
    EXPECT_EQ(h.check, 3688398u);
    EXPECT_EQ(h.length, 3u);
    EXPECT_EQ(std::memcmp(parser.Payload(), "abc", 3), 0);
    EXPECT_EQ(h.serial, 1u);
    EXPECT_EQ(h.split, 128);
    EXPECT_EQ(h.fsn, 1);
    EXPECT_EQ(h.ftot, 1);
    EXPECT_EQ(parser.Next(), ImageMessageParser::Item::kNeedMore);
}

TEST(ImageMessageParserTest, RejectsEveryViolation) {
    struct Case {
        const char* name;
        size_t offset;  // byte of the golden message to change (data is 3 bytes)
        uint8_t value;
        const char* reason;
    } cases[] = {
        {"magic", 0, 'X', "magic"},
        {"bits per pixel", 7, 24, "bits per pixel"},
        {"coding", 8, 3, "encoding"},
        {"byte 9", 9, 1, "byte 9"},
        {"raw size", 25, 1, "raw size"},
        {"second raw size", 33, 1, "second raw size"},
        {"check value", 29, 0xCF, "check value"},
        {"body mark", 38, 'W', "VSMK"},
        {"version stamp", 45, 0x9B, "version stamp"},
        {"zero length", 37, 0, "encoded length"},
        {"serial", 52, 2, "serial"},
        {"fragment above total", 55, 2, "fragment"},
        {"fragment zero", 55, 0, "fragment"},
        {"trailer zero bytes", 70, 1, "trailer byte"},
        {"tail", 90, 'X', "IBTAIL"},
        {"empty rectangle", 14, 0x05, "empty rectangle"},  // x1 = 1280 > x2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> m = GoldenImageMessage();
        m[c.offset] = c.value;
        ImageMessageParser parser(false);
        parser.Append(m.data(), m.size());
        ASSERT_EQ(parser.Next(), ImageMessageParser::Item::kError);
        EXPECT_NE(parser.Error().find(c.reason), std::string::npos) << parser.Error();
        EXPECT_EQ(parser.Next(), ImageMessageParser::Item::kError);  // final
    }
}

TEST(ImageMessageParserTest, FollowsSerialsAndStartsOverAtOne) {
    ImageMessageParser parser(false);
    for (uint8_t serial : {1, 2, 3, 1, 2}) {
        std::vector<uint8_t> m = GoldenImageMessage();
        m[52] = serial;
        parser.Append(m.data(), m.size());
        ASSERT_EQ(parser.Next(), ImageMessageParser::Item::kMessage) << parser.Error();
    }
    EXPECT_EQ(parser.Restarts(), 1u);
    std::vector<uint8_t> skip = GoldenImageMessage();
    skip[52] = 4;  // 3 expected
    parser.Append(skip.data(), skip.size());
    EXPECT_EQ(parser.Next(), ImageMessageParser::Item::kError);
}

TEST(ImageMessageParserTest, ChecksTheSenderIdRecordFirst) {
    std::vector<uint8_t> record(32, 0);
    std::memcpy(record.data(), "SenderId", 8);
    record[8] = 0xDE, record[9] = 0xAD, record[10] = 0xBE, record[11] = 0xEF;
    {
        ImageMessageParser parser(true);
        std::vector<uint8_t> stream = record;
        std::vector<uint8_t> m = GoldenImageMessage();
        stream.insert(stream.end(), m.begin(), m.end());
        parser.Append(stream.data(), stream.size());
        ASSERT_EQ(parser.Next(), ImageMessageParser::Item::kSenderId);
        EXPECT_EQ(parser.SenderKey(), (std::array<uint8_t, 4>{0xDE, 0xAD, 0xBE, 0xEF}));
        EXPECT_EQ(parser.Next(), ImageMessageParser::Item::kMessage) << parser.Error();
    }
    {
        SCOPED_TRACE("record missing");
        ImageMessageParser parser(true);
        std::vector<uint8_t> m = GoldenImageMessage();
        parser.Append(m.data(), m.size());
        EXPECT_EQ(parser.Next(), ImageMessageParser::Item::kError);
    }
    {
        SCOPED_TRACE("non-zero padding");
        ImageMessageParser parser(true);
        record[31] = 1;
        parser.Append(record.data(), record.size());
        EXPECT_EQ(parser.Next(), ImageMessageParser::Item::kError);
    }
}
