#include "usbshare/UsbIpHeader.h"

#include <gtest/gtest.h>

#include "tests/usbshare/hex.h"
#include "usbshare/UsbIpImport.h"
#include "usbshare/UsbReportFilter.h"

using porvane_test::Hex;
using usbip::UsbIpHeader;

TEST(UsbIpHeaderTest, LittleEndianLayoutAndSizes) {
    const auto bytes =
        Hex("01000000 2a000000 02000100 01000000 81000000 00000000 40000000 00000000 02000000"
            "00000000 00000000 00000000");
    const UsbIpHeader h =
        UsbIpHeader::Decode(std::span<const uint8_t, usbip::kHeaderSize>(bytes.data(), 48));
    EXPECT_EQ(h.command, 1u);
    EXPECT_EQ(h.seqnum, 42u);
    EXPECT_EQ(h.devid, 0x10002u);
    EXPECT_EQ(h.direction, 1u);
    EXPECT_EQ(h.EndpointAddress(), 0x81);
    EXPECT_EQ(h.transferLength, 64u);
    EXPECT_EQ(h.numberOfPackets, 2u);
    const auto encoded = h.Encode();
    EXPECT_EQ(std::vector<uint8_t>(encoded.begin(), encoded.end()), bytes);

    struct Row {
        const char* name;
        uint32_t direction;
        uint32_t length;
        uint32_t packets;
        uint64_t request;
        uint64_t replyBody;
    };
    const Row rows[] = {
        {"IN: the request has no data", 1, 64, 0, 48, 64},
        {"OUT: the request carries its data", 0, 64, 0, 112, 64},
        {"isochronous IN", 1, 100, 3, 96, 148},
        {"larger than the buffers", 0, 10'000'000, 0, 0, 10'000'000},
        {"huge packet count", 1, 0, 0xffffffff, 0, 16ull * 0xffffffff},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UsbIpHeader r;
        r.direction = row.direction;
        r.transferLength = row.length;
        r.numberOfPackets = row.packets;
        EXPECT_EQ(usbip::RequestSize(r), row.request);
        EXPECT_EQ(usbip::ReplyBodySize(r), row.replyBody);
    }
}

TEST(UsbIpImportTest, RequestAndReply) {
    const auto request = usbip::BuildImportRequest("1-1.2");
    auto expected = Hex("7a616d70 0601 0380 00000000 00000000 24000000 01000000 312d312e32");
    expected.resize(56, 0);
    EXPECT_EQ(std::vector<uint8_t>(request.begin(), request.end()), expected);
    // A bus id of 32 characters is cut so its last byte stays 0.
    EXPECT_EQ(usbip::BuildImportRequest(std::string(40, 'x'))[55], 0);

    std::array<uint8_t, usbip::kImportReplySize> reply{};
    const std::string bus = "1-1.2";
    std::copy(bus.begin(), bus.end(), reply.begin() + 24 + 256);
    reply[24 + 300] = 0x6d;  // idVendor low byte
    zamp::UsbDeviceRecord record;
    std::string why;
    ASSERT_TRUE(usbip::ParseImportReply(reply, "1-1.2", &record, &why));
    EXPECT_EQ(record.idVendor, 0x6d);
    EXPECT_FALSE(usbip::ParseImportReply(reply, "1-1.3", &record, &why));
    EXPECT_EQ(why, "recv different busid 1-1.2");
}

TEST(UsbReportFilterTest, BrokenReportsAfterThePatternAreRepaired) {
    struct Row {
        const char* name;
        uint8_t endpoint;
        int32_t status;
        std::vector<uint8_t> body;
        bool flagged;
        std::vector<uint8_t> after;
    };
    std::vector<uint8_t> broken29(29, 0x11);
    broken29[0] = 0x08;
    std::vector<uint8_t> good29(29, 0x11);
    good29[0] = 0x08;
    good29[1] = 0x80;
    // Rows run in order through one filter.
    const Row rows[] = {
        {"broken before the pattern was seen", 0x81, 0, {0x08, 0x00}, false, {0x08, 0x00}},
        {"29 bytes before the pattern", 0x81, 0, broken29, false, broken29},
        {"first 08 80", 0x81, 0, {0x08, 0x80}, false, {0x08, 0x80}},
        {"broken 2-byte report", 0x81, 0, {0x09, 0x80}, true, {0x08, 0x80}},
        {"broken 29-byte report", 0x81, 0, broken29, true, std::vector<uint8_t>(29, 0)},
        {"good 29-byte report", 0x81, 0, good29, false, good29},
        {"other endpoint", 0x82, 0, {0x09, 0x80}, false, {0x09, 0x80}},
        {"error status", 0x81, -32, {0x01, 0x02, 0x03}, true, {0x01, 0x02, 0x03}},
    };
    usbip::UsbReportFilter filter;
    usbip::UsbReportFilter otherDevice;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UsbIpHeader reply;
        reply.status = row.status;
        std::vector<uint8_t> body = row.body;
        EXPECT_EQ(filter.Filter(reply, row.endpoint, body), row.flagged);
        EXPECT_EQ(body, row.after);
    }
    // Another device has not seen the pattern: its report passes unchanged.
    std::vector<uint8_t> body = {0x09, 0x80};
    EXPECT_FALSE(otherDevice.Filter(UsbIpHeader{}, 0x81, body));
    EXPECT_EQ(body, (std::vector<uint8_t>{0x09, 0x80}));
}
