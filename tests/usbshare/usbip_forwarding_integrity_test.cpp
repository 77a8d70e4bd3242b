// Forwarding end to end, the session's integrity: losses reach the program
// once, detaches act on the right device and port once, every request is
// accounted for (unlinked, unmatched), and a relay's memory follows its
// traffic. Against the simulated receiver and the in-memory bus (see
// forwarding_fixture.h), under both readings of the length field.
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "platform/fake_clock.h"
#include "tests/usbshare/forwarding_fixture.h"

using namespace porvane_test;  // the fixture and its helpers
using usbip::UsbIpHeader;

namespace {

// The process's resident memory in bytes.
size_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    size_t total = 0;
    size_t resident = 0;
    statm >> total >> resident;
    return resident * static_cast<size_t>(::sysconf(_SC_PAGESIZE));
}

// Sends a request that breaks the format on `port`: its relay ends.
void BreakDevice(porvane_test::InMemoryUsbBus& bus, int port) {
    const auto h = Out(1, 2, 10).Encode();
    std::vector<uint8_t> bytes(h.begin(), h.end());
    bytes.resize(bytes.size() + 4, 0xaa);
    ASSERT_TRUE(bus.SubmitRaw(port, bytes));
}

}  // namespace

// The forwarding fixture under a name of its own (see PORVANE_FORWARDING_UNDER_BOTH_READINGS).
class UsbIpForwardingIntegrityTest : public UsbIpForwardingTest {};

PORVANE_FORWARDING_UNDER_BOTH_READINGS(UsbIpForwardingIntegrityTest);

TEST_P(UsbIpForwardingIntegrityTest, LinkLossIsReportedOnceAfterADeviceFailed) {
    struct Row {
        const char* name;
        bool keepAliveStops;  // else the receiver closes the command link
    };
    const Row rows[] = {{"receiver closes the command link", false},
                        {"receiver stops asking for keep-alives", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        { CallbackLog::Instance().Clear(); }
        platform::FakeClock clock;
        platform::ScopedClockOverride use(clock);
        const size_t before = m_bus.WaitForPlugIns(0, 0).size();
        Share({Device("10-1", 0x0a01), Device("10-2", 0x0a02)});
        BreakDevice(m_bus, PortOf(0x0a01, before + 2));
        ASSERT_TRUE(WaitForCall({7, "10-1"}));
        if (row.keepAliveStops) {
            // Defaults: given up after 10 missed periods of 2 s.
            const size_t reported = Calls().size();
            for (int step = 0; step < 6000 && CountOf(Calls(), {1, "-"}) == 0; ++step) {
                clock.Advance(20);
                CallbackLog::Instance().WaitForCount(reported + 1, std::chrono::milliseconds(1));
            }
        } else {
            m_sim.CloseClient();
        }
        ASSERT_TRUE(WaitForCall({1, "-"}));
        EXPECT_EQ(m_control->DetachAllDevice(), 0);
        m_control.reset();
        EXPECT_EQ(CountOf(Calls(), {1, "-"}), 1u);
    }
}

TEST_P(UsbIpForwardingIntegrityTest, SecondDetachLeavesAReusedPortAlone) {
    const SimUsbDevice first = Device("11-1", 0x0b01);
    Share({first});
    const int port = PortOf(0x0b01, 1);
    EXPECT_EQ(m_control->DetachDeviceByIndex(0), 0);
    EXPECT_FALSE(m_bus.IsPlugged(port));
    // The receiver exports another device, which is plugged into the port
    // the first one left.
    const SimUsbDevice second = Device("11-2", 0x0b02);
    m_devices.SetDevices({first, second});
    ASSERT_TRUE(m_sim.SendExport(second));
    ASSERT_TRUE(WaitForCall({14, "11-2"}));
    ASSERT_EQ(PortOf(0x0b02, 2), port);
    // Detaching the first device again finds nothing to do.
    EXPECT_EQ(m_control->DetachDeviceByIndex(0), 0);
    EXPECT_TRUE(m_bus.IsPlugged(port));
    EXPECT_EQ(BusCalls("unplug " + std::to_string(port)), 1u);
    EXPECT_EQ(CountOf(Calls(), {2, "11-1"}), 1u);
}

TEST_P(UsbIpForwardingIntegrityTest, DetachesAtOnceUnplugAndReportOnce) {
    Share({Device("12-1", 0x0c01)});
    const std::string port = std::to_string(PortOf(0x0c01, 1));
    // The first detach waits for the forwarding to end, which is held up.
    m_bus.SetStartDetachHeld(true);
    auto first = std::async(std::launch::async, [&] { return m_control->DetachDeviceByIndex(0); });
    ASSERT_TRUE(m_bus.WaitForCalls("start-detach " + port, 1));
    // Another thread detaches everything meanwhile (as the keep-alive's
    // give-up does): it waits for the first, and then has nothing to do.
    auto all = std::async(std::launch::async, [&] { return m_control->DetachAllDevice(); });
    EXPECT_FALSE(m_bus.WaitForCalls("unplug " + port, 1, 200));
    m_bus.SetStartDetachHeld(false);
    EXPECT_EQ(first.get(), 0);
    EXPECT_EQ(all.get(), 0);
    EXPECT_EQ(BusCalls("unplug " + port), 1u);
    EXPECT_EQ(CountOf(Calls(), {2, "12-1"}), 1u);
}

TEST_P(UsbIpForwardingIntegrityTest, UnlinkedRequestIsGivenBackOnce) {
    Share({Device("13-1", 0x0d01)});
    const int port = PortOf(0x0d01, 1);
    // The device holds IN requests; the host gives one up.
    m_devices.SetSilentSubmits(true);
    ASSERT_TRUE(m_bus.Submit(port, In(1, 1, 8)));
    UsbIpHeader unlink;
    unlink.command = usbip::kCmdUnlink;
    unlink.seqnum = 2;
    unlink.devid = 0x10002;
    unlink.status = 1;  // the seqnum unlinked
    ASSERT_TRUE(m_bus.Submit(port, unlink));
    UsbIpHeader h;
    std::vector<uint8_t> body;
    ASSERT_TRUE(m_bus.ReadReply(port, &h, &body));
    EXPECT_EQ(h.command, 0x58000004u);
    EXPECT_EQ(h.seqnum, 2u);
    // Given back by the unlink, the request is not completed again when the
    // device goes; nothing else reaches the host.
    EXPECT_EQ(m_control->DetachAllDevice(), 0);
    EXPECT_FALSE(m_bus.ReadReply(port, &h, &body, 0)) << h.seqnum;
}

TEST_P(UsbIpForwardingIntegrityTest, ReplyForNoRequestIsDropped) {
    Share({Device("14-1", 0x0e01)});
    const int port = PortOf(0x0e01, 1);
    m_devices.SetStrayReply(true);  // after the next reply, one for seqnum 1001
    UsbIpHeader h;
    std::vector<uint8_t> body;
    for (uint32_t seq : {1u, 2u}) {
        SCOPED_TRACE(seq);
        ASSERT_TRUE(m_bus.Submit(port, In(seq, 1, 4)));
        ASSERT_TRUE(m_bus.ReadReply(port, &h, &body));
        EXPECT_EQ(h.seqnum, seq);
        EXPECT_EQ(body, (std::vector<uint8_t>{0, 1, 2, 3}));
    }
    EXPECT_TRUE(m_bus.IsPlugged(port));
    EXPECT_EQ(m_control->DetachAllDevice(), 0);
    EXPECT_EQ(CountOf(Calls(), {7, "14-1"}), 0u);
}

TEST_P(UsbIpForwardingIntegrityTest, RelayMemoryFollowsTheTraffic) {
    const size_t before = ResidentBytes();
    std::vector<SimUsbDevice> nine;
    for (uint16_t i = 1; i <= 9; ++i) {
        nine.push_back(Device("15-" + std::to_string(i), static_cast<uint16_t>(0x0f00 + i)));
    }
    Share(nine);
    const std::vector<int> ports = m_bus.WaitForPlugIns(9);
    ASSERT_EQ(ports.size(), 9u);
    UsbIpHeader h;
    std::vector<uint8_t> body;
    for (int port : ports) {
        ASSERT_TRUE(m_bus.Submit(port, In(1, 1, 64)));
        ASSERT_TRUE(m_bus.ReadReply(port, &h, &body));
    }
    // Nine relaying devices: nowhere near two 10 MB buffers each.
    EXPECT_LT(ResidentBytes() - before, size_t{40} << 20);
    // Large transfers still go through whole, each way.
    const int port = PortOf(0x0f01, 9);
    std::vector<uint8_t> data(60000);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 7);
    }
    ASSERT_TRUE(m_bus.Submit(port, Out(2, 2, 60000), data));
    ASSERT_TRUE(m_bus.ReadReply(port, &h, &body));
    EXPECT_EQ(h.transferLength, 60000u);
    ASSERT_TRUE(m_bus.Submit(port, In(3, 1, 60000)));
    ASSERT_TRUE(m_bus.ReadReply(port, &h, &body));
    ASSERT_EQ(body.size(), 60000u);
    EXPECT_EQ(body[59999], static_cast<uint8_t>(59999));
    EXPECT_EQ(m_devices.OutData("15-1"), data);
    EXPECT_EQ(m_control->DetachAllDevice(), 0);
}
