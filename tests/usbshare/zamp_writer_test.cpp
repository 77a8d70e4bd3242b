#include "usbshare/ZampWriter.h"

#include <gtest/gtest.h>

#include "tests/usbshare/hex.h"

using porvane_test::Hex;

TEST(ZampWriterTest, RequestsAndKeepAliveReplyMatchTheWireLayout) {
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* hex;
    };
    auto v = [](const auto& a) { return std::vector<uint8_t>(a.begin(), a.end()); };
    const Row rows[] = {
        {"info", v(zamp::BuildRequest(zamp::kReqUsbIpInfo)),
         "7a616d70 0601 5380 00000000 00000000 00000000"},
        {"bind", v(zamp::BuildRequest(zamp::kReqUsbBind)),
         "7a616d70 0601 5080 00000000 00000000 00000000"},
        {"unbind", v(zamp::BuildRequest(zamp::kReqUsbUnbind)),
         "7a616d70 0601 5180 00000000 00000000 00000000"},
        {"device list", v(zamp::BuildRequest(zamp::kReqDevList)),
         "7a616d70 0601 0580 00000000 00000000 00000000"},
        {"keep-alive reply", v(zamp::BuildKeepAliveReply()),
         "7a616d70 0601 9900 00000000 00000000 01000000 01"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.bytes, Hex(row.hex));
    }
    EXPECT_EQ(zamp::BuildKeepAliveReply().size(), 21u);
}
