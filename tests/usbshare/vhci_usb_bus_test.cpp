// The adapter over vhci-hcd, on recorded sysfs texts and a stand-in
// controller folder: the test plays the kernel on the descriptor that the
// adapter writes into "attach".
#include "usbshare/VhciUsbBus.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <sstream>

#include "tests/support/TempDir.h"
#include "tests/usbshare/hex.h"
#include "tests/usbshare/write_file.h"
#include "usbshare/UsbIpHeader.h"
#include "usbshare/VhciStatus.h"
#include "usbshare/VhciTranslate.h"

using porvane_test::Hex;

namespace {

// A status file as vhci-hcd writes it: a title line, 8 high-speed and 8
// super-speed ports; port 1 in use.
const char* kStatus =
    "hub port sta spd dev      sockfd local_busid\n"
    "hs  0000 004 000 00000000 000000 0-0\n"
    "hs  0001 006 003 00010002 000005 1-1\n"
    "hs  0002 004 000 00000000 000000 0-0\n"
    "hs  0003 004 000 00000000 000000 0-0\n"
    "hs  0004 004 000 00000000 000000 0-0\n"
    "hs  0005 004 000 00000000 000000 0-0\n"
    "hs  0006 004 000 00000000 000000 0-0\n"
    "hs  0007 004 000 00000000 000000 0-0\n"
    "ss  0008 004 000 00000000 000000 0-0\n"
    "ss  0009 004 000 00000000 000000 0-0\n";

std::vector<uint8_t> ReadMessage(int fd, size_t max = 65536) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 10000) <= 0) {
        return {};
    }
    std::vector<uint8_t> buffer(max);
    const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
    buffer.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return buffer;
}

std::vector<uint8_t> ReadExactly(int fd, size_t n) {
    std::vector<uint8_t> out;
    while (out.size() < n) {
        const auto more = ReadMessage(fd, n - out.size());
        if (more.empty()) {
            break;
        }
        out.insert(out.end(), more.begin(), more.end());
    }
    return out;
}

}  // namespace

TEST(VhciStatusTest, RecordedStatusGivesTheBusPortTable) {
    const auto ports = usbip::ParseVhciStatus(kStatus);
    ASSERT_EQ(ports.size(), 10u);
    EXPECT_EQ(ports[1].state, 6);
    EXPECT_EQ(ports[1].devid, 0x10002u);
    EXPECT_TRUE(ports[8].superSpeedHub);
    const usbip::PortTable table = usbip::ToPortTable(ports);
    EXPECT_EQ(table[0], 2);  // bus port 2 (controller port 1) is the highest in use
    EXPECT_EQ(table[1], 0);
    EXPECT_EQ(table[2], 1);
    EXPECT_EQ(table[8], 0);
    EXPECT_EQ(table[9], 1);  // the controller has only 8 high-speed ports
    EXPECT_EQ(table[127], 1);
    EXPECT_EQ(usbip::ControllerPort(ports, 3), 2);
    EXPECT_EQ(usbip::ControllerPort(ports, 9), -1);
    EXPECT_TRUE(usbip::ParseVhciStatus("garbage\nhs zz 4 0 0 0 0-0\n").empty());
}

TEST(VhciTranslateTest, HeadersChangeByteOrderAndReplyCodes) {
    struct Row {
        const char* name;
        bool request;  // from the kernel; else a reply to the kernel
        std::vector<uint8_t> in;
        std::vector<uint8_t> out;
    };
    const Row rows[] = {
        {"OUT submit with data and a setup packet", true,
         Hex("00000001 00000007 00010002 00000000 00000000 00000000 00000002 00000000 00000000"
             "00000000 8006000100001200 abcd"),
         Hex("01000000 07000000 02000100 00000000 00000000 00000000 02000000 00000000 00000000"
             "00000000 8006000100001200 abcd")},
        {"isochronous IN submit: descriptors swapped", true,
         Hex("00000001 00000008 00010002 00000001 00000003 00000000 00000010 00000000 00000001"
             "00000001 0000000000000000 00000000 00000010 00000000 00000000"),
         Hex("01000000 08000000 02000100 01000000 03000000 00000000 10000000 00000000 01000000"
             "01000000 0000000000000000 00000000 10000000 00000000 00000000")},
        {"unlink", true,
         Hex("00000002 00000009 00010002 00000000 00000000 00000007 00000000 00000000 00000000"
             "00000000 0000000000000000"),
         Hex("02000000 09000000 02000100 00000000 00000000 07000000 00000000 00000000 00000000"
             "00000000 0000000000000000")},
        {"submit reply with data: 0x58850003 becomes 3", false,
         Hex("03008558 07000000 02000100 01000000 01000000 00000000 02000000 00000000 00000000"
             "00000000 0000000000000000 1122"),
         Hex("00000003 00000007 00010002 00000001 00000001 00000000 00000002 00000000 00000000"
             "00000000 0000000000000000 1122")},
        {"unlink reply with status -104", false,
         Hex("04000058 09000000 02000100 00000000 00000000 98ffffff 00000000 00000000 00000000"
             "00000000 0000000000000000"),
         Hex("00000004 00000009 00010002 00000000 00000000 ffffff98 00000000 00000000 00000000"
             "00000000 0000000000000000")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> bytes = row.in;
        if (row.request) {
            ASSERT_EQ(usbip::KernelRequestSize(std::span<const uint8_t, 48>(row.in.data(), 48)),
                      row.in.size());
            usbip::RequestFromKernel(bytes);
        } else {
            ASSERT_TRUE(usbip::ReplyToKernel(bytes));
        }
        EXPECT_EQ(bytes, row.out);
    }
    // A reply too short for its descriptors is refused; an unknown command
    // has no size.
    auto cut = rows[3].in;
    cut[32] = 1;  // one isochronous packet: 16 bytes that are not there
    EXPECT_FALSE(usbip::ReplyToKernel(cut));
    auto odd = rows[2].in;
    odd[3] = 9;
    EXPECT_EQ(usbip::KernelRequestSize(std::span<const uint8_t, 48>(odd.data(), 48)), 0u);
}

TEST(VhciUsbBusTest, PlugInCarriesTranslatedTrafficAndUnplugDetaches) {
    testsupport::TempDir dir;
    EXPECT_EQ(usbip::VhciUsbBus::Create(dir.Path().string()), nullptr);  // no controller
    porvane_test::WriteFile(dir.Path() / "status", kStatus);
    porvane_test::WriteFile(dir.Path() / "attach", "");
    porvane_test::WriteFile(dir.Path() / "detach", "");
    auto bus = usbip::VhciUsbBus::Create(dir.Path().string());
    ASSERT_NE(bus, nullptr);
    auto handle = bus->Open();
    usbip::PortTable table{};
    ASSERT_TRUE(handle->GetPortsStatus(&table));
    EXPECT_EQ(table[1], 0);

    usbip::PlugInRecord record;
    record.devid = 0x10002;
    record.speed = 3;
    record.port = 3;  // controller port 2
    ASSERT_EQ(handle->PlugIn(record), 0);
    std::istringstream attach(testsupport::ReadFile(dir.File("attach")));
    int controllerPort = -1;
    int kernelFd = -1;
    unsigned devid = 0;
    unsigned speed = 0;
    attach >> controllerPort >> kernelFd >> devid >> speed;
    EXPECT_EQ(controllerPort, 2);
    EXPECT_EQ(devid, 0x10002u);
    EXPECT_EQ(speed, 3u);
    ASSERT_GE(kernelFd, 0);

    // The "kernel" writes two requests back to back, the second in pieces.
    const auto unlink =
        Hex("00000002 00000009 00010002 00000000 00000000 00000007 00000000 00000000 00000000"
            "00000000 0000000000000000");
    const auto out =
        Hex("00000001 0000000a 00010002 00000000 00000002 00000000 00000002 00000000 00000000"
            "00000000 0000000000000000 beef");
    std::vector<uint8_t> stream = unlink;
    stream.insert(stream.end(), out.begin(), out.begin() + 30);
    ASSERT_EQ(::send(kernelFd, stream.data(), stream.size(), 0),
              static_cast<ssize_t>(stream.size()));
    ASSERT_EQ(::send(kernelFd, out.data() + 30, out.size() - 30, 0),
              static_cast<ssize_t>(out.size() - 30));
    const auto first = ReadMessage(handle->Fd());
    ASSERT_EQ(first.size(), 48u);
    EXPECT_EQ(first[0], 2);
    const auto second = ReadMessage(handle->Fd());
    ASSERT_EQ(second.size(), 50u);
    EXPECT_EQ(second[4], 0x0a);
    EXPECT_EQ(second[48], 0xbe);

    // A reply goes back in the kernel's order.
    usbip::UsbIpHeader reply;
    reply.command = usbip::kRetSubmit;
    reply.seqnum = 10;
    reply.transferLength = 2;
    const auto encoded = reply.Encode();
    ASSERT_EQ(::send(handle->Fd(), encoded.data(), encoded.size(), 0), 48);
    const auto back = ReadExactly(kernelFd, 48);
    ASSERT_EQ(back.size(), 48u);
    EXPECT_EQ(back[3], 3);
    EXPECT_EQ(back[7], 10);

    EXPECT_EQ(handle->Unplug(3), 0);
    EXPECT_EQ(testsupport::ReadFile(dir.File("detach")), "2\n");
    EXPECT_TRUE(ReadMessage(handle->Fd()).empty());  // the device's stream ended
    EXPECT_EQ(handle->Unplug(3), -1);                // already gone
}
