// The simulated receiver's strict reader of sender frames: whole frames fed
// byte by byte, and every kind of malformed input named as an error.
#include "tests/receiver/command/CommandParser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using receiver_sim::CommandParser;
using receiver_sim::SenderFrame;

std::string Cmd(uint8_t code, const std::string& payload) {
    return std::string("vrpcmd\0\0", 8) + static_cast<char>(code) + payload;
}

std::string Le16(uint16_t v) {
    return std::string{static_cast<char>(v & 0xff), static_cast<char>(v >> 8)};
}

TEST(CommandParserTest, WholeFramesFedByteByByte) {
    struct Row {
        const char* name;
        std::string bytes;
        SenderFrame::Kind kind;
        uint8_t code;
        size_t payload;
    };
    const std::string url = "http://h/a";
    const Row rows[] = {
        {"keep-alive", "vrpaliveROCK", SenderFrame::Kind::kKeepAlive, 0, 0},
        {"request without payload", Cmd(0x80, ""), SenderFrame::Kind::kRequest, 0x80, 0},
        {"login", Cmd(0x84, std::string(60, 'x')), SenderFrame::Kind::kRequest, 0x84, 60},
        {"stop video", Cmd(0xa2, "\x01" + Le16(10) + url + "abcd"), SenderFrame::Kind::kRequest,
         0xa2, 17},
        {"seek video", Cmd(0xaa, std::string(9, '\0') + Le16(10) + url),
         SenderFrame::Kind::kRequest, 0xaa, 21},
        {"play video", Cmd(0xa0, std::string("\0\0", 2) + Le16(10) + url + std::string(246, '\0')),
         SenderFrame::Kind::kRequest, 0xa0, 260},
        {"forward message",
         Cmd(0xc0, std::string("\0\0\0\1\0\0\0\3\0", 9) + std::string(23, '\0') + "abc"),
         SenderFrame::Kind::kRequest, 0xc0, 35},
        {"lock key", Cmd(0xf4, "\x11\x01\x01"), SenderFrame::Kind::kInput, 0xf4, 3},
        {"refresh acknowledgement", Cmd(0x71, std::string(15, '\0')), SenderFrame::Kind::kAck, 0x71,
         15},
        {"forward reply", Cmd(0xc1, std::string("\0\0\0\2", 4) + std::string(12, '\0') + "ok"),
         SenderFrame::Kind::kAck, 0xc1, 18},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CommandParser parser;
        SenderFrame frame;
        std::string error;
        for (size_t i = 0; i + 1 < row.bytes.size(); ++i) {
            parser.Feed(reinterpret_cast<const uint8_t*>(&row.bytes[i]), 1);
            ASSERT_EQ(parser.Next(&frame, &error), CommandParser::Status::kNeedMore) << i;
        }
        parser.Feed(reinterpret_cast<const uint8_t*>(&row.bytes.back()), 1);
        ASSERT_EQ(parser.Next(&frame, &error), CommandParser::Status::kFrame) << error;
        EXPECT_EQ(frame.kind, row.kind);
        EXPECT_EQ(frame.code, row.code);
        EXPECT_EQ(frame.payload.size(), row.payload);
        EXPECT_EQ(parser.Buffered(), 0u);
    }
}

TEST(CommandParserTest, MalformedInputIsAnErrorThatStays) {
    struct Row {
        const char* name;
        std::string bytes;
        const char* error;
    };
    const Row rows[] = {
        {"garbage before a prefix", "xvrpcmd", "bytes before a prefix"},
        {"unknown code", Cmd(0x81, ""), "unknown code 0x81"},
        {"keep-alive that is not ROCK", "vrpaliveROLL", "is not ROCK"},
        {"PlayVideo URL length too large",
         Cmd(0xa0, std::string("\0\0", 2) + Le16(256) + std::string(256, 'u')), "does not fit"},
        {"PlayVideo URL without terminator",
         Cmd(0xa0, std::string("\0\0", 2) + Le16(3) + std::string(256, 'u')),
         "does not match its length"},
        {"forward message over the limit",
         Cmd(0xc0, std::string("\0\0\0\1\0\x10\0\1", 8) + std::string(24, '\0')), "over the limit"},
        {"bad lock key", Cmd(0xf4, "\x11\x03\x01"), "bad tag, key or state"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CommandParser parser;
        parser.Feed(reinterpret_cast<const uint8_t*>(row.bytes.data()), row.bytes.size());
        SenderFrame frame;
        std::string error;
        ASSERT_EQ(parser.Next(&frame, &error), CommandParser::Status::kError);
        EXPECT_NE(error.find(row.error), std::string::npos) << error;
        const std::string more = Cmd(0x80, "");
        parser.Feed(reinterpret_cast<const uint8_t*>(more.data()), more.size());
        EXPECT_EQ(parser.Next(&frame, &error), CommandParser::Status::kError);
    }
}

}  // namespace
