// Forwarding end to end: the control object binds and attaches against the
// simulated receiver (command channel and device side), and the in-memory bus
// plays the PC's operating system, issuing USB/IP requests on the plugged
// ports and checking the replies.
#include "usbshare/UsbIpDeviceForwarder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake_clock.h"
#include "tests/receiver/usb/UsbIpDeviceSim.h"
#include "tests/receiver/usb/ZampReceiverSim.h"
#include "tests/support/LoopbackPeer.h"
#include "tests/support/TempDir.h"
#include "tests/usbshare/callback_log.h"
#include "tests/usbshare/in_memory_usb_bus.h"
#include "usbshare/ClientDeviceControl.h"

using receiver_sim::SimUsbDevice;
using usbip::UsbIpHeader;

namespace {

using porvane_test::Call;
using porvane_test::CallbackLog;

bool WaitForCall(const Call& call) {
    return CallbackLog::Instance().WaitFor(call);
}

std::vector<Call> Calls() {
    return CallbackLog::Instance().Calls();
}

bool Has(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

SimUsbDevice Device(const std::string& bus, uint16_t product) {
    SimUsbDevice d;
    d.busId = bus;
    d.idProduct = product;
    d.busnum = 1;
    d.devnum = product & 0xff;
    return d;
}

UsbIpHeader In(uint32_t seq, uint32_t ep, uint32_t length) {
    UsbIpHeader h;
    h.command = usbip::kCmdSubmit;
    h.seqnum = seq;
    h.devid = 0x10002;
    h.direction = 1;
    h.ep = ep;
    h.transferLength = length;
    return h;
}

UsbIpHeader Out(uint32_t seq, uint32_t ep, uint32_t length) {
    UsbIpHeader h = In(seq, ep, length);
    h.direction = 0;
    return h;
}

class UsbIpForwardingTest : public ::testing::Test {
protected:
    UsbIpForwardingTest() { CallbackLog::Instance().Clear(); }

    void SetUp() override {
        ASSERT_TRUE(m_sim.Start());
        ASSERT_TRUE(m_devices.Start());
    }

    // Binds and attaches `list` (known to both sides of the receiver).
    // `deviceSideKnows` false: the receiver refuses every import.
    void Share(const std::vector<SimUsbDevice>& list, std::string dataService = "",
               bool deviceSideKnows = true) {
        m_sim.SetDevices(list);
        m_devices.SetDevices(deviceSideKnows ? list : std::vector<SimUsbDevice>{});
        m_control = std::make_unique<CClientDeviceControl>();
        m_control->SetAppDataFolderForTest(m_dir.Path().string());
        m_control->SetCommandServiceForTest(m_sim.PortText());
        m_control->SetDataServiceForTest(dataService.empty() ? m_devices.PortText() : dataService);
        m_control->SetVirtualUsbBusForTest(&m_bus);
        porvane::ZampTimings timings;
        timings.attachPauseMs = timings.exportPauseMs = timings.unexportPauseMs = 0;
        m_control->SetTimingsForTest(timings);
        char ip[] = "127.0.0.1";
        ASSERT_EQ(m_control->Init(ip, nullptr, &CallbackLog::Record, false), 0);
        ASSERT_EQ(m_control->DoBind(), 0);
        ASSERT_EQ(m_control->AttachAllDevice(), 0);
    }

    // The port on which the device with this product id was plugged.
    int PortOf(uint16_t product, size_t plugged) {
        for (int port : m_bus.WaitForPlugIns(plugged)) {
            if (m_bus.Record(port).idProduct == product) {
                return port;
            }
        }
        return -1;
    }

    testsupport::TempDir m_dir;
    receiver_sim::ZampReceiverSim m_sim;
    receiver_sim::UsbIpDeviceSim m_devices;
    porvane_test::InMemoryUsbBus m_bus;
    std::unique_ptr<CClientDeviceControl> m_control;
};

}  // namespace

TEST_F(UsbIpForwardingTest, TwoDevicesRelayTheirTrafficAndDetach) {
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

TEST_F(UsbIpForwardingTest, DetachWithASilentReceiverCompletesPendingRequests) {
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

TEST_F(UsbIpForwardingTest, ReportRepairIsPerDevice) {
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

TEST_F(UsbIpForwardingTest, BrokenTrafficEndsTheRelay) {
    struct Row {
        const char* name;
        bool malformedRequest;  // else the receiver's reply lacks its mark
    };
    const Row rows[] = {{"request longer than its header says", true},
                        {"reply without the 0x58 mark", false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const size_t before = m_bus.WaitForPlugIns(0, 0).size();
        Share({Device("4-1", 0x0501)});
        const int port = PortOf(0x0501, before + 1);
        if (row.malformedRequest) {
            const auto h = Out(1, 2, 10).Encode();
            std::vector<uint8_t> bytes(h.begin(), h.end());
            bytes.resize(bytes.size() + 4, 0xaa);  // 4 bytes of 10
            ASSERT_TRUE(m_bus.SubmitRaw(port, bytes));
        } else {
            m_devices.SetBadReplyMark(true);
            ASSERT_TRUE(m_bus.Submit(port, In(1, 1, 4)));
        }
        // The relay ends on its own: the port is unplugged; an open request is
        // completed first.
        EXPECT_TRUE(m_bus.WaitForCalls("unplug " + std::to_string(port), before + 1));
        EXPECT_FALSE(m_bus.IsPlugged(port));
        if (!row.malformedRequest) {
            UsbIpHeader h;
            std::vector<uint8_t> body;
            ASSERT_TRUE(m_bus.ReadReply(port, &h, &body));
            EXPECT_EQ(h.status, -108);
        } else {
            // A device link that failed to send stops the whole session.
            EXPECT_EQ(m_control->AttachAllDevice(), -1);
        }
        EXPECT_EQ(m_control->DetachAllDevice(), 0);
        m_control.reset();
    }
}

TEST_F(UsbIpForwardingTest, FailedImportsAreReported) {
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

TEST_F(UsbIpForwardingTest, ImportReplyThatNeverComesEndsTheAttach) {
    platform::FakeClock clock;
    platform::ScopedClockOverride use(clock);
    m_devices.SetSilentImport(true);
    Share({Device("5-2", 0x0602)});
    ASSERT_TRUE(m_devices.WaitForImports(1));
    CallbackLog::Instance().Clear();  // the bind's reports
    const uint64_t start = clock.NowMs();
    while (!CallbackLog::Instance().WaitForCount(1, std::chrono::milliseconds(1))) {
        clock.Advance(100);
    }
    EXPECT_GE(clock.NowMs() - start, 5000u);  // the import reply's bound
    EXPECT_EQ(Calls(), (std::vector<Call>{{6, "5-2"}}));
    EXPECT_TRUE(m_bus.WaitForPlugIns(0, 0).empty());
}

TEST_F(UsbIpForwardingTest, DeviceTheReceiverExportsIsReportedAttached) {
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

TEST_F(UsbIpForwardingTest, UnplugThatRunsOutOfTimeIsAFailure) {
    Share({Device("7-1", 0x0801)});
    PortOf(0x0801, 1);
    m_bus.SetUnplugTimesOut(true);
    EXPECT_EQ(m_control->DetachAllDevice(), -1);
    EXPECT_TRUE(WaitForCall({2, "7-1"}));
}

TEST_F(UsbIpForwardingTest, DestructionJoinsEveryRelay) {
    Share({Device("8-1", 0x0901), Device("8-2", 0x0902)});
    const int a = PortOf(0x0901, 2);
    m_devices.SetSilent(true);
    ASSERT_TRUE(m_bus.Submit(a, In(1, 1, 8)));
    ASSERT_TRUE(m_devices.WaitForRequests(1));
    m_control.reset();  // no detach: the destructor ends every thread
    EXPECT_TRUE(m_sim.WaitForDisconnect());
}
