#include "vrxclientsdk/VRPClient/DevAnnounce.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

// A record as it arrives: ports big-endian, bytes 78 to 87 all set.
DevAnnounce WireRecord(uint16_t version) {
    DevAnnounce r;
    std::memcpy(r.bytes, "QKPP", 4);
    const uint8_t ports[8] = {0x0c, 0xc4, 0x02, 0x03, 0x1f, 0x90, 0xab, 0xcd};
    std::memcpy(r.bytes + 8, ports, sizeof ports);
    std::memset(r.bytes + 78, 0xff, 10);
    r.bytes[88] = static_cast<uint8_t>(version >> 8);
    r.bytes[89] = static_cast<uint8_t>(version & 0xff);
    return r;
}

TEST(DevAnnounceTest, ToHostConvertsPortsAndClearsFlagsOnlyInVersionWindow) {
    struct Row {
        uint16_t version;
        bool cleared;
    };
    const Row rows[] = {{0x0125, false}, {0x0126, true},  {0x0127, true},
                        {0x0129, true},  {0x012A, false}, {0x0000, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "version 0x" << std::hex << row.version);
        DevAnnounce r = WireRecord(row.version);
        DevAnnounceToHost(r);
        EXPECT_EQ(r.GetCommandPort(), 3268);
        EXPECT_EQ(r.GetImagePort(), 515);
        EXPECT_EQ(r.GetVideoPort(), 8080);
        EXPECT_EQ(r.GetFourthPort(), 0xabcd);
        // The version stays big-endian in the record.
        EXPECT_EQ(r.bytes[88], row.version >> 8);
        EXPECT_EQ(r.bytes[89], row.version & 0xff);
        EXPECT_EQ(r.GetProtocolVersion(), row.version);
        EXPECT_EQ(r.bytes[78], row.cleared ? 0x7f : 0xff);
        for (size_t i = 79; i <= 87; ++i) {
            EXPECT_EQ(r.bytes[i], row.cleared ? 0 : 0xff) << "byte " << i;
        }
    }
}

TEST(DevAnnounceTest, TextsStopAtTerminatorOrFieldEnd) {
    DevAnnounce r;
    // No terminator anywhere: every text ends with its field.
    std::memset(r.bytes, 'x', sizeof r.bytes);
    EXPECT_EQ(r.GetName(), std::string(40, 'x'));
    EXPECT_EQ(r.GetText(), std::string(22, 'x'));
    EXPECT_EQ(r.GetDescription(), std::string(20, 'x'));

    std::memcpy(r.bytes + 16, "Room 4\0junk", 11);
    std::memcpy(r.bytes + 56, "\0", 1);
    std::memcpy(r.bytes + 98, "Floor 2\0", 8);
    EXPECT_EQ(r.GetName(), "Room 4");
    EXPECT_EQ(r.GetText(), "");
    EXPECT_EQ(r.GetDescription(), "Floor 2");
}

TEST(DevAnnounceTest, AccessorsReadTheirFields) {
    DevAnnounce r = WireRecord(0x0130);
    in_addr ip{};
    ASSERT_EQ(inet_pton(AF_INET, "127.0.0.2", &ip), 1);
    r.SetIPv4(ip.s_addr);
    r.bytes[97] = 1;
    EXPECT_TRUE(r.HasMagic());
    EXPECT_EQ(r.GetIPv4(), ip.s_addr);
    EXPECT_EQ(std::memcmp(r.bytes + 4, &ip.s_addr, 4), 0);
    EXPECT_EQ(r.GetCodeMode(), 1);
    EXPECT_EQ(r.GetOptionBlock().size(), 32u);
    EXPECT_EQ(r.GetOptionBlock().data(), r.bytes + 56);

    struct Row {
        uint8_t kind1, kind2;
        bool listable;
    };
    for (const Row& row : {Row{6, 6, true}, Row{6, 5, false}, Row{5, 6, false}}) {
        SCOPED_TRACE(testing::Message() << int(row.kind1) << "/" << int(row.kind2));
        r.bytes[118] = row.kind1;
        r.bytes[119] = row.kind2;
        EXPECT_EQ(r.IsListable(), row.listable);
    }
    r.bytes[0] = 'X';
    EXPECT_FALSE(r.HasMagic());
}

}  // namespace
