// Forwarding end to end: traffic on several devices, detaching, failed
// imports and broken traffic, against the simulated receiver and the
// in-memory bus (see forwarding_fixture.h), under both readings of the
// length field.
#include "usbshare/UsbIpDeviceForwarder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/fake_clock.h"
#include "tests/support/LoopbackPeer.h"
#include "tests/usbshare/forwarding_fixture.h"

using namespace porvane_test;  // the fixture and its helpers
using usbip::UsbIpHeader;

namespace {

bool Has(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

PORVANE_FORWARDING_UNDER_BOTH_READINGS(UsbIpForwardingTest);

TEST_P(UsbIpForwardingTest, TwoDevicesRelayTheirTrafficAndDetach) {
    SimUsbDevice keyboard = Device("1-1", 0x0101);
    keyboard.speed = 2;
    keyboard.interfaces = {{3, 1, 1}};
    const SimUsbDevice disk = Device("1-2", 0x0202);
    Share({keyboard, disk});
    const int a = PortOf(0x0101, 2);
    const int b = PortOf(0x0202, 2);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    ASSERT_NE(a, b);

    const usbip::PlugInRecord r = m_bus.Record(a);
    EXPECT_EQ(r.devid, (1u << 16) | 0x01);
    EXPECT_EQ(r.idVendor, 0x1234);
    EXPECT_EQ(r.speed, 2);
    EXPECT_EQ(r.numInterfaces, 1);
    EXPECT_EQ(r.interfaceClass, 3);
    EXPECT_EQ(r.interfaceProtocol, 1);
    EXPECT_EQ(r.port, a);

    // Requests on both ports at once, then the replies.
    ASSERT_TRUE(m_bus.Submit(a, In(1, 1, 8)));
    ASSERT_TRUE(m_bus.Submit(b, Out(1, 2, 4), {9, 8, 7, 6}));
    ASSERT_TRUE(m_bus.Submit(b, In(2, 1, 3)));
    UsbIpHeader h;
    std::vector<uint8_t> body;
    ASSERT_TRUE(m_bus.ReadReply(a, &h, &body));
    EXPECT_EQ(h.command >> 24, 0x58u);
    EXPECT_EQ(h.seqnum, 1u);
    EXPECT_EQ(body, (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    ASSERT_TRUE(m_bus.ReadReply(b, &h, &body));
    EXPECT_EQ(h.seqnum, 1u);  // an OUT reply: header only
    EXPECT_EQ(h.transferLength, 4u);
    EXPECT_TRUE(body.empty());
    ASSERT_TRUE(m_bus.ReadReply(b, &h, &body));
    EXPECT_EQ(h.seqnum, 2u);
    EXPECT_EQ(body, (std::vector<uint8_t>{0, 1, 2}));
    EXPECT_EQ(m_devices.OutData("1-2"), (std::vector<uint8_t>{9, 8, 7, 6}));

    EXPECT_EQ(m_control->DetachAllDevice(), 0);
    EXPECT_FALSE(m_bus.IsPlugged(a));
    EXPECT_FALSE(m_bus.IsPlugged(b));
    const auto calls = m_bus.Calls();
    for (int port : {a, b}) {
        SCOPED_TRACE(port);
        EXPECT_TRUE(Has(calls, "start-detach " + std::to_string(port)));
        EXPECT_TRUE(Has(calls, "unplug " + std::to_string(port)));
    }
    const auto reported = Calls();
    for (const Call& c : {Call{2, "1-1"}, Call{2, "1-2"}, Call{9, "-"}}) {
        EXPECT_NE(std::find(reported.begin(), reported.end(), c), reported.end()) << c.first;
    }
    EXPECT_TRUE(m_devices.ProtocolErrors().empty());
    EXPECT_TRUE(m_sim.ProtocolErrors().empty());
}

TEST_P(UsbIpForwardingTest, DetachWithASilentReceiverCompletesPendingRequests) {
    Share({Device("2-1", 0x0301)});
    const int port = PortOf(0x0301, 1);
    m_devices.SetSilent(true);
    ASSERT_TRUE(m_bus.Submit(port, In(5, 1, 8)));
    ASSERT_TRUE(m_bus.Submit(port, Out(6, 2, 2), {1, 2}));
    ASSERT_TRUE(m_devices.WaitForRequests(2));

    EXPECT_EQ(m_control->DetachAllDevice(), 0);
    std::vector<uint32_t> completed;
    UsbIpHeader h;
    std::vector<uint8_t> body;
    while (m_bus.ReadReply(port, &h, &body, 100)) {
        EXPECT_EQ(h.status, -108);
        EXPECT_EQ(h.ep, 0u);
        EXPECT_EQ(h.command, 1485111299u);
        EXPECT_TRUE(body.empty());
        completed.push_back(h.seqnum);
    }
    EXPECT_EQ(completed, (std::vector<uint32_t>{5, 6}));
    EXPECT_FALSE(m_bus.IsPlugged(port));
}

TEST_P(UsbIpForwardingTest, ReportRepairIsPerDevice) {
    Share({Device("3-1", 0x0401), Device("3-2", 0x0402)});
    const int a = PortOf(0x0401, 2);
    const int b = PortOf(0x0402, 2);
    m_devices.QueueReport("3-1", 0x81, {0x08, 0x80});
    m_devices.QueueReport("3-1", 0x81, {0x09, 0x80});
    m_devices.QueueReport("3-2", 0x81, {0x09, 0x80});
    struct Row {
        int port;
        uint32_t seq;
        std::vector<uint8_t> expected;
    };
    const Row rows[] = {
        {a, 1, {0x08, 0x80}},
        {a, 2, {0x08, 0x80}},  // broken after the pattern: repaired
        {b, 1, {0x09, 0x80}},  // the other device never showed the pattern
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.seq);
        ASSERT_TRUE(m_bus.Submit(row.port, In(row.seq, 1, 2)));
        UsbIpHeader h;
        std::vector<uint8_t> body;
        ASSERT_TRUE(m_bus.ReadReply(row.port, &h, &body));
        EXPECT_EQ(body, row.expected);
    }
}

TEST_P(UsbIpForwardingTest, BrokenTrafficEndsThatDeviceOnlyAndIsReported) {
    struct Row {
        const char* name;
        std::function<void(int port)> breakIt;
        bool requestLeftOpen;  // a request of the broken device is still open
    };
    const Row rows[] = {
        {"request longer than its header says",
         [this](int port) {
             const auto h = Out(1, 2, 10).Encode();
             std::vector<uint8_t> bytes(h.begin(), h.end());
             bytes.resize(bytes.size() + 4, 0xaa);  // 4 bytes of 10
             ASSERT_TRUE(m_bus.SubmitRaw(port, bytes));
         },
         false},
        {"reply without the 0x58 mark",
         [this](int port) {
             m_devices.SetBadReplyMark(true);
             ASSERT_TRUE(m_bus.Submit(port, In(1, 1, 4)));
         },
         true},
        {"receiver closes the data connection", [this](int) { m_devices.DropConnection("4-1"); },
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        { CallbackLog::Instance().Clear(); }
        const size_t before = m_bus.WaitForPlugIns(0, 0).size();
        Share({Device("4-1", 0x0501), Device("4-2", 0x0502)});
        const int broken = PortOf(0x0501, before + 2);
        const int other = PortOf(0x0502, before + 2);
        const size_t unplugs = BusCalls("unplug " + std::to_string(broken));
        row.breakIt(broken);
        // The relay ends on its own: the port is unplugged, an open request
        // completed first.
        ASSERT_TRUE(m_bus.WaitForCalls("unplug " + std::to_string(broken), unplugs + 1));
        EXPECT_FALSE(m_bus.IsPlugged(broken));
        UsbIpHeader h;
        std::vector<uint8_t> body;
        if (row.requestLeftOpen) {
            ASSERT_TRUE(m_bus.ReadReply(broken, &h, &body));
            EXPECT_EQ(h.status, -108);
        }
        // The other device goes on as before.
        ASSERT_TRUE(m_bus.Submit(other, In(7, 1, 3)));
        ASSERT_TRUE(m_bus.ReadReply(other, &h, &body));
        EXPECT_EQ(h.seqnum, 7u);
        EXPECT_EQ(body, (std::vector<uint8_t>{0, 1, 2}));
        // The program hears that the device's connection is lost.
        EXPECT_TRUE(WaitForCall({7, "4-1"}));
        EXPECT_EQ(m_control->DetachAllDevice(), 0);
        const auto calls = Calls();
        EXPECT_EQ(CountOf(calls, {7, "4-1"}), 1u);
        EXPECT_EQ(CountOf(calls, {2, "4-2"}), 1u);
        EXPECT_EQ(CountOf(calls, {1, "-"}), 0u);
        m_control.reset();
    }
    EXPECT_TRUE(m_devices.ProtocolErrors().empty());
}

TEST_P(UsbIpForwardingTest, FailedImportsAreReported) {
    struct Row {
        const char* name;
        bool busAvailable;
        bool allPortsUsed;
        bool receiverKnowsDevice;
        bool dataPortClosed;
        Call expected;
    };
    const Row rows[] = {
        {"no virtual bus", false, false, true, false, {6, "5-1"}},
        {"no free port", true, true, true, false, {6, "5-1"}},
        {"receiver refuses the import", true, false, false, false, {6, "5-1"}},
        {"data connection refused", true, false, true, true, {7, "5-1"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        { CallbackLog::Instance().Clear(); }
        m_bus.SetAvailable(row.busAvailable);
        m_bus.SetAllPortsUsed(row.allPortsUsed);
        const SimUsbDevice device = Device("5-1", 0x0601);
        const std::string closed = std::to_string(testsupport::LoopbackPeer::ClosedPort());
        Share({device}, row.dataPortClosed ? closed : "", row.receiverKnowsDevice);
        ASSERT_TRUE(WaitForCall(row.expected));
        EXPECT_EQ(m_control->DetachAllDevice(), 0);
        m_control.reset();
        EXPECT_TRUE(m_bus.WaitForPlugIns(0, 0).empty());  // no port was touched
    }
}

TEST_P(UsbIpForwardingTest, ImportReplyThatNeverComesEndsTheAttach) {
    platform::FakeClock clock;
    platform::ScopedClockOverride use(clock);
    m_devices.SetSilentImport(true);
    Share({Device("5-2", 0x0602)});
    ASSERT_TRUE(m_devices.WaitForImports(1));
    CallbackLog::Instance().Clear();  // the bind's reports
    // The receiver keeps the command link alive all the while, so only the
    // import's own bound can end the wait (the keep-alive would give up
    // after 20 s without requests).
    const uint64_t start = clock.NowMs();
    const uint64_t limit = 60000;
    while (!CallbackLog::Instance().WaitForCount(1, std::chrono::milliseconds(1)) &&
           clock.NowMs() - start < limit) {
        clock.Advance(20);
        if ((clock.NowMs() - start) % 500 == 0) {
            m_sim.SendKeepAliveRequest();
        }
    }
    const uint64_t elapsed = clock.NowMs() - start;
    EXPECT_GE(elapsed, 5000u);  // the import reply's bound
    EXPECT_LT(elapsed, limit);
    EXPECT_EQ(Calls(), (std::vector<Call>{{6, "5-2"}}));
    EXPECT_GT(m_sim.CountOf(receiver_sim::zampwire::kKeepAliveRep), 0u);
    EXPECT_TRUE(m_bus.WaitForPlugIns(0, 0).empty());
    m_control.reset();  // before the clock goes
}

TEST_P(UsbIpForwardingTest, DeviceTheReceiverExportsIsReportedAttached) {
    Share({});
    SimUsbDevice camera = Device("6-1", 0x0701);
    camera.interfaces = {{0x0e, 1, 0}};
    m_devices.SetDevices({camera});
    ASSERT_TRUE(m_sim.SendExport(camera));
    ASSERT_TRUE(WaitForCall({14, "6-1"}));
    const int port = PortOf(0x0701, 1);
    EXPECT_EQ(m_bus.Record(port).interfaceClass, 0x0e);
    ASSERT_TRUE(m_sim.SendUnexport(camera));
    ASSERT_TRUE(WaitForCall({3, "6-1"}));
    EXPECT_TRUE(m_bus.WaitForCalls("unplug " + std::to_string(port), 1));
}

TEST_P(UsbIpForwardingTest, UnplugThatRunsOutOfTimeIsAFailure) {
    Share({Device("7-1", 0x0801)});
    PortOf(0x0801, 1);
    m_bus.SetUnplugTimesOut(true);
    EXPECT_EQ(m_control->DetachAllDevice(), -1);
    EXPECT_TRUE(WaitForCall({2, "7-1"}));
}

TEST_P(UsbIpForwardingTest, DestructionJoinsEveryRelay) {
    Share({Device("8-1", 0x0901), Device("8-2", 0x0902)});
    const int a = PortOf(0x0901, 2);
    m_devices.SetSilent(true);
    ASSERT_TRUE(m_bus.Submit(a, In(1, 1, 8)));
    ASSERT_TRUE(m_devices.WaitForRequests(1));
    m_control.reset();  // no detach: the destructor ends every thread
    EXPECT_TRUE(m_sim.WaitForDisconnect());
}
