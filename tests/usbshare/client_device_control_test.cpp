// CClientDeviceControl against the simulated receiver's USB side, over real
// loopback sockets. Every wait of the library runs on a fake clock: replies
// that arrive end waits at once, and a test moves time forward only to make a
// wait run out.
#include "usbshare/ClientDeviceControl.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake_clock.h"
#include "tests/receiver/usb/ZampReceiverSim.h"
#include "tests/support/TempDir.h"
#include "tests/usbshare/callback_log.h"
#include "tests/usbshare/recording_device_forwarder.h"
#include "tests/usbshare/write_file.h"
#include "usbshare/NetworkState.h"
#include "usbshare/ZampLog.h"

using receiver_sim::SimUsbDevice;
using receiver_sim::ZampReceiverSim;
using Action = ZampReceiverSim::Action;
namespace wire = receiver_sim::zampwire;

namespace {

using porvane_test::Call;
using porvane_test::CallbackLog;

std::vector<Call> Calls() {
    return CallbackLog::Instance().Calls();
}

bool WaitForCalls(size_t n) {
    return CallbackLog::Instance().WaitForCount(n);
}

void WaitForCallsFor(std::chrono::milliseconds time) {
    CallbackLog::Instance().WaitForCount(1, time);
}

SimUsbDevice Device(const std::string& bus, std::vector<receiver_sim::SimInterface> interfaces) {
    SimUsbDevice d;
    d.busId = bus;
    d.interfaces = std::move(interfaces);
    return d;
}

class FakeNetworkState final : public porvane::NetworkState {
public:
    bool IsNetworkAlive(platform::SocketHandle) override { return alive.load(); }
    std::atomic<bool> alive{true};
};

class ClientDeviceControlTest : public ::testing::Test {
protected:
    ClientDeviceControlTest() : m_useClock(m_clock) { CallbackLog::Instance().Clear(); }

    void SetUp() override { ASSERT_TRUE(m_sim.Start()); }

    // Creates the object with `settings` as the sender's settings file and
    // connects it to the simulator.
    int Init(const std::string& settings = "[Quorvane_Sender]\n", const char* ip = "127.0.0.1") {
        porvane_test::WriteFile(m_dir.Path() / "Pemu Quorvane Sender/Quorvane_Sender.ini",
                                settings);
        m_control = std::make_unique<CClientDeviceControl>();
        auto forwarder = std::make_unique<porvane_test::RecordingDeviceForwarder>();
        m_forwarder = forwarder.get();
        m_control->SetDeviceForwarderForTest(std::move(forwarder));
        m_control->SetAppDataFolderForTest(m_dir.Path().string());
        m_control->SetCommandServiceForTest(m_sim.PortText());
        m_control->SetNetworkStateForTest(&m_network);
        porvane::ZampTimings timings;
        timings.attachPauseMs = timings.exportPauseMs = timings.unexportPauseMs = 0;
        m_control->SetTimingsForTest(timings);
        std::string address = ip;
        return m_control->Init(address.data(), nullptr, &CallbackLog::Record, false);
    }

    // Connects, binds and attaches the simulator's devices.
    void Attach(std::vector<SimUsbDevice> devices) {
        m_sim.SetDevices(std::move(devices));
        ASSERT_EQ(Init(), 0);
        ASSERT_EQ(m_control->AttachAllDevice(), 0);
    }

    // Runs `op` on another thread and moves the clock on until it returns.
    template <typename Op>
    auto RunOutTime(Op op) {
        auto done = std::async(std::launch::async, op);
        while (done.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
            m_clock.Advance(100);
        }
        return done.get();
    }

    platform::FakeClock m_clock;
    platform::ScopedClockOverride m_useClock;
    testsupport::TempDir m_dir;
    ZampReceiverSim m_sim;
    FakeNetworkState m_network;
    porvane_test::RecordingDeviceForwarder* m_forwarder = nullptr;
    std::unique_ptr<CClientDeviceControl> m_control;
};

}  // namespace

TEST_F(ClientDeviceControlTest, InitConnectsAndRefusesAnEmptyAddress) {
    ASSERT_EQ(Init(), 0);
    EXPECT_TRUE(m_sim.WaitForClient());
    EXPECT_EQ(m_control->GetStatus(), porvane::kStatusInit);

    // An empty or oversize address is an error and connects nothing.
    for (const char* ip :
         {"", "1234567890123456789012345678901234567890123456789012345678901234"}) {
        SCOPED_TRACE(ip);
        EXPECT_EQ(Init("[Quorvane_Sender]\n", ip), -1);
    }
    EXPECT_TRUE(m_sim.WaitForDisconnect());
    EXPECT_EQ(m_sim.Connections(), 1);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ClientDeviceControlTest, InitFailsWhenNothingListens) {
    m_sim.Stop();
    EXPECT_EQ(Init(), -1);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(m_control->DetachAllDevice(), 0);  // empty list, closed socket
}

TEST_F(ClientDeviceControlTest, CanDeviceAttachFollowsTheInfoStatus) {
    struct Row {
        const char* name;
        Action action;
        bool expected;
    };
    const Row rows[] = {
        {"status 0", {Action::kReply, 0, 0}, true},
        {"status 0x50", {Action::kReply, 0x50, 0}, true},
        {"status 0x51 (busy)", {Action::kReply, 0x51, 0}, false},
        {"no reply", {Action::kDrop, 0, 0}, false},
    };
    ASSERT_EQ(Init(), 0);
    size_t sent = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_sim.Script(wire::kInfoReq, row.action);
        // Time moves only for the request that gets no reply.
        auto ask = [&] { return m_control->CanDeviceAttach(); };
        EXPECT_EQ(row.action.kind == Action::kDrop ? RunOutTime(ask) : ask(), row.expected);
        EXPECT_EQ(m_sim.CountOf(wire::kInfoReq), ++sent);
        EXPECT_EQ(m_control->GetStatus(), porvane::kStatusInfoRequested);
    }
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(m_sim.ProtocolErrors().empty());
}

TEST_F(ClientDeviceControlTest, BindCallbackSequences) {
    const auto refusal = wire::Header(wire::kBindRep, 3, 0);
    const auto bindOk = wire::Header(wire::kBindRep, 0, 0);
    struct Row {
        const char* name;
        Action action;
        std::vector<uint8_t> thenSent;  // what the receiver sends next, if anything
        int result;
        std::vector<Call> calls;
        int status;
    };
    const Row rows[] = {
        {"success reports 8 twice", {Action::kReply, 0, 0}, {}, 0, {{8, "-"}, {8, "-"}}, 2},
        {"one refusal, then silence", {Action::kReply, 3, 0}, {}, -1, {{4, "-"}}, 1},
        {"two refusals", {Action::kReply, 3, 0}, refusal, -1, {{4, "-"}, {4, "-"}, {4, "ERR"}}, 1},
        // A late unbind answer is no answer to the bind: it is set aside.
        {"a reply of another code, then the bind reply",
         {Action::kReply, 0, wire::kUnbindRep},
         bindOk,
         0,
         {{8, "-"}, {8, "-"}},
         2},
        {"no reply at all", {Action::kDrop, 0, 0}, {}, -1, {}, 1},
    };
    ASSERT_EQ(Init(), 0);
    size_t requests = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        { CallbackLog::Instance().Clear(); }
        m_sim.Script(wire::kBindReq, row.action);
        auto done = std::async(std::launch::async, [&] { return m_control->DoBind(); });
        ASSERT_TRUE(m_sim.WaitForCount(wire::kBindReq, ++requests));
        if (!row.thenSent.empty()) {
            ASSERT_TRUE(m_sim.SendRaw(row.thenSent));
        }
        // Every report the replies cause comes before time moves on.
        ASSERT_TRUE(WaitForCalls(row.calls.size()));
        while (done.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
            m_clock.Advance(100);
        }
        EXPECT_EQ(done.get(), row.result);
        EXPECT_EQ(Calls(), row.calls);
        EXPECT_EQ(m_control->GetStatus(), row.status);
    }
    EXPECT_EQ(m_sim.CountOf(wire::kBindReq), std::size(rows));  // one request per bind
}

TEST_F(ClientDeviceControlTest, UnbindCallbackSequences) {
    struct Row {
        const char* name;
        std::vector<Action> actions;
        bool thenUnbindReply;  // the receiver sends the unbind reply after its first answer
        bool timeRuns;
        int result;
        std::vector<Call> calls;
        size_t requests;
    };
    const Action ok{Action::kReply, 0, 0};
    const Action other{Action::kReply, 0, wire::kBindRep};
    const Action drop{Action::kDrop, 0, 0};
    const Row rows[] = {
        {"success reports 9 twice", {ok}, false, false, 0, {{9, "-"}, {9, "-"}}, 1},
        // A late bind answer is set aside; the unbind reply still counts.
        {"a reply of another code, then the unbind reply",
         {other},
         true,
         false,
         0,
         {{9, "-"}, {9, "-"}},
         1},
        {"silence three times", {drop, drop, drop}, false, true, -1, {}, 3},
    };
    ASSERT_EQ(Init(), 0);
    size_t before = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        { CallbackLog::Instance().Clear(); }
        for (const Action& a : row.actions) {
            m_sim.Script(wire::kUnbindReq, a);
        }
        auto done = std::async(std::launch::async, [&] { return m_control->DoUnBind(); });
        ASSERT_TRUE(m_sim.WaitForCount(wire::kUnbindReq, before + 1));
        if (row.thenUnbindReply) {
            ASSERT_TRUE(m_sim.SendRaw(wire::Header(wire::kUnbindRep, 0, 0)));
        }
        if (row.timeRuns) {
            // Each silent attempt runs out; the next request goes out only then.
            while (done.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
                m_clock.Advance(100);
            }
        }
        EXPECT_EQ(done.get(), row.result);
        EXPECT_EQ(Calls(), row.calls);
        EXPECT_EQ(m_sim.CountOf(wire::kUnbindReq) - before, row.requests);
        before = m_sim.CountOf(wire::kUnbindReq);
        EXPECT_EQ(m_control->GetStatus(),
                  row.result == 0 ? porvane::kStatusUnbound : porvane::kStatusUnbindRequested);
    }
}

TEST_F(ClientDeviceControlTest, AttachListsOnlySupportedDevicesAndStartsThem) {
    Attach({Device("1-1", {{3, 1, 2}}), Device("1-2", {{3, 0, 0}, {1, 1, 0}}),
            Device("1-3", {{0x10, 1, 0}}), Device("1-4", {{8, 6, 80}})});
    EXPECT_EQ(m_control->GetStatus(), porvane::kStatusListReceived);
    ASSERT_EQ(m_control->GetDeviceCount(), 2);
    EXPECT_EQ(m_control->GetDeviceInfoByIndex(0)->GetBusId(), "1-1");
    EXPECT_EQ(m_control->GetDeviceInfoByIndex(1)->GetBusId(), "1-4");
    EXPECT_EQ(m_control->GetDeviceInfoByIndex(2), nullptr);
    char bus[] = "1-4";
    EXPECT_EQ(m_control->GetDeviceIndexByID(bus), 1);
    char missing[] = "1-2";
    EXPECT_EQ(m_control->GetDeviceIndexByID(missing), -1);
    EXPECT_EQ(m_forwarder->Calls(), (std::vector<std::string>{"start 1-1", "start 1-4"}));
    EXPECT_TRUE(Calls().empty());

    // Detaching stops each device, unbinds and ends the devices.
    EXPECT_EQ(m_control->DetachAllDevice(), 0);
    EXPECT_EQ(m_forwarder->Calls(),
              (std::vector<std::string>{"start 1-1", "start 1-4", "detach 1-1", "detach 1-4",
                                        "terminate 1-1", "terminate 1-4"}));
    EXPECT_EQ(Calls(), (std::vector<Call>{{9, "-"}, {9, "-"}}));
    EXPECT_EQ(m_sim.CountOf(wire::kUnbindReq), 1u);
    EXPECT_TRUE(m_sim.ProtocolErrors().empty());
}

TEST_F(ClientDeviceControlTest, ListsAndExportsAreReadWhateverTheLengthFieldCounts) {
    using wire::LengthReading;
    for (const LengthReading reading :
         {LengthReading::kLeavesOutLeadingWord, LengthReading::kCountsWholeBody}) {
        SCOPED_TRACE(static_cast<int>(reading));
        { CallbackLog::Instance().Clear(); }
        m_sim.SetLengthReading(reading);
        Attach({Device("14-1", {{3, 1, 1}, {3, 0, 0}, {8, 6, 80}}), Device("14-2", {})});
        ASSERT_EQ(m_control->GetDeviceCount(), 2);
        EXPECT_EQ(m_control->GetDeviceInfoByIndex(1)->GetBusId(), "14-2");
        EXPECT_EQ(m_control->GetDeviceInfoByIndex(0)->GetInterfaceTable().size(), 3u);
        // The stream stays in step: the next messages are read as sent.
        const size_t replies = m_sim.CountOf(wire::kKeepAliveRep);
        ASSERT_TRUE(m_sim.SendExport(Device("14-3", {{3, 0, 0}, {3, 1, 2}})));
        ASSERT_TRUE(m_sim.SendKeepAliveRequest());
        ASSERT_TRUE(m_sim.WaitForCount(wire::kKeepAliveRep, replies + 1));
        EXPECT_EQ(m_control->GetDeviceCount(), 3);
        EXPECT_TRUE(Calls().empty());
        EXPECT_EQ(m_control->DetachAllDevice(), 0);
        EXPECT_TRUE(m_control->Terminate());
        m_sim.WaitForDisconnect();
    }
    EXPECT_TRUE(m_sim.ProtocolErrors().empty());
}

TEST_F(ClientDeviceControlTest, EmptyDeviceListAttachesNothing) {
    Attach({});
    EXPECT_EQ(m_control->GetDeviceCount(), 0);
    EXPECT_TRUE(m_forwarder->Calls().empty());
    EXPECT_EQ(m_control->DetachAllDevice(), 0);
}

TEST_F(ClientDeviceControlTest, FailedDetachReportsTheDevice) {
    Attach({Device("2-1", {{3, 0, 0}}), Device("2-2", {{3, 0, 0}})});
    m_forwarder->FailDetach("2-2");
    EXPECT_EQ(m_control->DetachAllDevice(), -1);
    EXPECT_EQ(Calls(), (std::vector<Call>{{2, "2-2"}, {9, "-"}, {9, "-"}}));
    EXPECT_FALSE(m_control->GetDeviceInfoByIndex(1)->HasInterfaceTable());
}

TEST_F(ClientDeviceControlTest, DeviceListFailuresAreReported) {
    // A list whose count is over the limit, and a list that never comes. A
    // list that can't be framed leaves the stream without a known end: the
    // connection goes (code 1), and the list then never comes (code 7).
    auto hostile = wire::DeviceListReply({Device("3-1", {{3, 0, 0}})});
    hostile[20] = 200;
    struct Row {
        const char* name;
        bool sendHostile;
        std::vector<Call> calls;
    };
    const Row rows[] = {
        {"hostile list", true, {{1, "-"}, {7, "ERR"}}},
        {"no list", false, {{7, "ERR"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        { CallbackLog::Instance().Clear(); }
        ASSERT_EQ(Init(), 0);
        m_sim.Script(wire::kDevListReq, {Action::kDrop, 0, 0});
        const size_t before = m_sim.CountOf(wire::kDevListReq);
        auto done = std::async(std::launch::async, [&] { return m_control->AttachAllDevice(); });
        ASSERT_TRUE(m_sim.WaitForCount(wire::kDevListReq, before + 1));
        if (row.sendHostile) {
            ASSERT_TRUE(m_sim.SendRaw(hostile));
            ASSERT_TRUE(WaitForCalls(1));
        }
        while (done.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
            m_clock.Advance(100);
        }
        EXPECT_EQ(done.get(), -1);
        EXPECT_EQ(Calls(), row.calls);
        // The link now counts as lost: a second attach asks nothing.
        const size_t asked = m_sim.CountOf(wire::kDevListReq);
        EXPECT_EQ(m_control->AttachAllDevice(), -1);
        EXPECT_EQ(m_sim.CountOf(wire::kDevListReq), asked);
        EXPECT_TRUE(m_forwarder->Calls().empty());
        if (row.sendHostile) {
            EXPECT_TRUE(m_sim.WaitForDisconnect());
        }
    }
}

TEST_F(ClientDeviceControlTest, LinkLossIsReportedAfterAFailedDeviceList) {
    // The failed list counts the link as lost without a code 1; the
    // connection's loss later still reaches the program, once.
    ASSERT_EQ(Init(), 0);
    m_sim.Script(wire::kDevListReq, {Action::kDrop, 0, 0});
    EXPECT_EQ(RunOutTime([&] { return m_control->AttachAllDevice(); }), -1);
    ASSERT_EQ(Calls(), (std::vector<Call>{{7, "ERR"}}));
    m_sim.CloseClient();
    ASSERT_TRUE(WaitForCalls(2));
    EXPECT_TRUE(m_sim.WaitForDisconnect());
    EXPECT_EQ(m_control->DetachAllDevice(), 0);
    EXPECT_TRUE(m_control->Terminate());
    EXPECT_EQ(Calls(), (std::vector<Call>{{7, "ERR"}, {1, "-"}}));
}

TEST_F(ClientDeviceControlTest, LateReplyOfAnotherCodeDoesNotEndTheDeviceList) {
    const SimUsbDevice listed = Device("11-1", {{3, 0, 0}});
    m_sim.SetDevices({listed});
    ASSERT_EQ(Init(), 0);
    m_sim.Script(wire::kDevListReq, {Action::kHold, 0, 0});
    auto attach = std::async(std::launch::async, [&] { return m_control->AttachAllDevice(); });
    ASSERT_TRUE(m_sim.WaitForCount(wire::kDevListReq, 1));
    // A bind answer comes late, before the list. The export request after it
    // shows that the sender has read it.
    ASSERT_TRUE(m_sim.SendRaw(wire::Header(wire::kBindRep, 0, 0)));
    ASSERT_TRUE(m_sim.SendExport(Device("11-2", {{3, 0, 0}})));
    ASSERT_TRUE(m_forwarder->WaitForCall("start 11-2 requested"));
    m_sim.ReleaseHeld();
    EXPECT_EQ(attach.get(), 0);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(m_control->GetStatus(), porvane::kStatusListReceived);
    ASSERT_EQ(m_control->GetDeviceCount(), 1);
    EXPECT_EQ(m_control->GetDeviceInfoByIndex(0)->GetBusId(), "11-1");
}

TEST_F(ClientDeviceControlTest, ReceiverExportsAndWithdrawsDevices) {
    Attach({Device("4-1", {{3, 0, 0}})});
    const SimUsbDevice added = Device("4-2", {{8, 6, 80}});
    const SimUsbDevice audio = Device("4-3", {{1, 1, 0}});

    ASSERT_TRUE(m_sim.SendExport(audio));  // never listed
    ASSERT_TRUE(m_sim.SendExport(added));
    ASSERT_TRUE(m_sim.SendKeepAliveRequest());  // handled after both exports
    ASSERT_TRUE(m_sim.WaitForCount(wire::kKeepAliveRep, 1));
    EXPECT_EQ(m_control->GetDeviceCount(), 2);
    EXPECT_EQ(m_control->GetStatus(), porvane::kStatusExportDone);
    EXPECT_EQ(m_forwarder->Calls(), (std::vector<std::string>{"start 4-1", "start 4-2 requested"}));

    ASSERT_TRUE(m_sim.SendUnexport(Device("9-9", {})));  // unknown: ignored
    ASSERT_TRUE(m_sim.SendUnexport(added));
    ASSERT_TRUE(m_sim.SendKeepAliveRequest());
    ASSERT_TRUE(m_sim.WaitForCount(wire::kKeepAliveRep, 2));
    EXPECT_EQ(Calls(), (std::vector<Call>{{3, "4-2"}}));
    EXPECT_EQ(m_control->GetDeviceCount(), 1);
    EXPECT_EQ(m_forwarder->Calls(), (std::vector<std::string>{"start 4-1", "start 4-2 requested",
                                                              "detach 4-2", "terminate 4-2"}));
}

TEST_F(ClientDeviceControlTest, ExportOfABusyBusIdWaitsForTheEarlierDevice) {
    const SimUsbDevice same = Device("5-1", {{3, 0, 0}});
    Attach({same});
    // The earlier device finishes while the export waits: it is replaced.
    ASSERT_TRUE(m_sim.SendExport(same));
    m_forwarder->Finish("5-1");
    ASSERT_TRUE(m_sim.SendKeepAliveRequest());
    ASSERT_TRUE(m_sim.WaitForCount(wire::kKeepAliveRep, 1));
    EXPECT_EQ(m_control->GetDeviceCount(), 1);
    EXPECT_EQ(m_forwarder->Calls(),
              (std::vector<std::string>{"start 5-1", "terminate 5-1", "start 5-1 requested"}));

    // It keeps forwarding: the export is refused once the wait runs out.
    ASSERT_TRUE(m_sim.SendExport(same));
    ASSERT_TRUE(m_sim.SendKeepAliveRequest());
    while (!m_sim.WaitForCount(wire::kKeepAliveRep, 2, 1)) {
        m_clock.Advance(100);
    }
    EXPECT_EQ(m_control->GetDeviceCount(), 1);
    EXPECT_EQ(m_forwarder->Calls().size(), 3u);
}

TEST_F(ClientDeviceControlTest, KeepAliveRequestsAreAnswered) {
    Attach({Device("6-1", {{3, 0, 0}})});
    // Split into single bytes, and two requests in one piece.
    const auto request = wire::Header(wire::kKeepAliveReq, 0, 0);
    ASSERT_TRUE(m_sim.SendRaw(request, 1));
    ASSERT_TRUE(m_sim.WaitForCount(wire::kKeepAliveRep, 1));
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(m_sim.SendKeepAliveRequest());
        ASSERT_TRUE(m_sim.WaitForCount(wire::kKeepAliveRep, 2u + i));
    }
    for (const auto& m : m_sim.Messages()) {
        if (m.code == wire::kKeepAliveRep) {
            EXPECT_EQ(m.body, std::vector<uint8_t>{1});
        }
    }
    EXPECT_TRUE(m_sim.ProtocolErrors().empty());
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ClientDeviceControlTest, MissingKeepAliveDetachesAfterIntervalTimesSeconds) {
    // "Seconds" below 2 counts as 2; three missed periods give up.
    m_sim.SetDevices({Device("7-1", {{3, 0, 0}})});
    ASSERT_EQ(Init("[Quorvane_Sender]\nSeconds=1\nInterval=3\n"), 0);
    ASSERT_EQ(m_control->AttachAllDevice(), 0);
    ASSERT_TRUE(m_sim.SendKeepAliveRequest());
    ASSERT_TRUE(m_sim.WaitForCount(wire::kKeepAliveRep, 1));
    const uint64_t lastReply = m_clock.NowMs();
    while (Calls().empty()) {
        m_clock.Advance(50);
        WaitForCallsFor(std::chrono::milliseconds(1));
    }
    EXPECT_GE(m_clock.NowMs() - lastReply, 3u * 2000u);
    EXPECT_EQ(Calls(), (std::vector<Call>{{1, "-"}}));
    EXPECT_EQ(m_forwarder->Calls(),
              (std::vector<std::string>{"start 7-1", "detach 7-1", "terminate 7-1"}));
    // The link is lost: no unbind, and attaching is refused.
    EXPECT_EQ(m_sim.CountOf(wire::kUnbindReq), 0u);
    EXPECT_EQ(m_control->AttachAllDevice(), -1);
}

TEST_F(ClientDeviceControlTest, LostConnectionReachesTheCallbackOnce) {
    struct Row {
        const char* name;
        std::function<void()> lose;
    };
    const Row rows[] = {
        {"receiver closes", [this] { m_sim.CloseClient(); }},
        {"network goes", [this] { m_network.alive = false; }},
        {"garbage arrives", [this] { m_sim.SendRaw(std::vector<uint8_t>(40, 0x55)); }},
        {"oversize message",
         [this] { m_sim.SendRaw(wire::Header(wire::kDevListRep, 0, 0x7fffffff)); }},
        {"wrong version",
         [this] { m_sim.SendRaw(wire::Header(wire::kKeepAliveReq, 0, 0, 0x0107)); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        { CallbackLog::Instance().Clear(); }
        m_network.alive = true;
        Attach({Device("8-1", {{3, 0, 0}})});
        ASSERT_TRUE(m_sim.WaitForClient());
        row.lose();
        ASSERT_TRUE(WaitForCalls(1));
        EXPECT_EQ(m_control->AttachAllDevice(), -1);
        // Detaching skips the unbind on a lost link.
        EXPECT_EQ(m_control->DetachAllDevice(), 0);
        EXPECT_EQ(Calls(), (std::vector<Call>{{1, "-"}}));
        EXPECT_TRUE(m_control->Terminate());
        EXPECT_TRUE(m_sim.WaitForDisconnect());
    }
    EXPECT_EQ(m_sim.CountOf(wire::kUnbindReq), 0u);
}

TEST_F(ClientDeviceControlTest, TerminateEndsTheSessionOnce) {
    Attach({Device("9-1", {{3, 0, 0}})});
    m_sim.Script(wire::kInfoReq, {Action::kReply, 0x51, 0});
    EXPECT_FALSE(m_control->CanDeviceAttach());
    // Terminate works after an info request too.
    EXPECT_TRUE(m_control->Terminate());
    EXPECT_EQ(m_control->GetStatus(), porvane::kStatusTerminated);
    EXPECT_TRUE(m_sim.WaitForDisconnect());
    EXPECT_EQ(m_forwarder->Calls(), (std::vector<std::string>{"start 9-1", "terminate 9-1"}));
    EXPECT_FALSE(m_control->Terminate());
    EXPECT_EQ(m_control->GetDeviceCount(), 0);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ClientDeviceControlTest, DestructionWithLiveThreadsIsClean) {
    Attach({Device("10-1", {{3, 0, 0}}), Device("10-2", {{3, 0, 0}})});
    ASSERT_TRUE(m_sim.SendKeepAliveRequest());
    ASSERT_TRUE(m_sim.WaitForCount(wire::kKeepAliveRep, 1));
    // A request waits for a reply that is held back while the object goes
    // (time stands still: only the object's end can end the wait).
    m_sim.Script(wire::kBindReq, {Action::kHold, 0, 0});
    CClientDeviceControl* control = m_control.get();
    auto bind = std::async(std::launch::async, [control] { return control->DoBind(); });
    ASSERT_TRUE(m_sim.WaitForCount(wire::kBindReq, 1));
    m_control.reset();
    EXPECT_EQ(bind.get(), -1);
    EXPECT_TRUE(m_sim.WaitForDisconnect());
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ClientDeviceControlTest, LogFileSettingSwitchesTheLogOn) {
    // The log folder does not exist yet: it is made, for this user only.
    const auto folder = m_dir.Path() / "Pemu Quorvane Sender/log";
    ASSERT_FALSE(std::filesystem::exists(folder));
    ASSERT_EQ(Init("[Quorvane_Sender]\nLogFile=anything\n"), 0);
    m_control.reset();
    porvane::ZampLog::Instance().Disable();
    ASSERT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    const std::string log = testsupport::ReadFile(m_dir.File("Pemu Quorvane Sender/log/ZAMP.log"));
    EXPECT_NE(log.find("ZAMP Version:0015"), std::string::npos);
    EXPECT_NE(log.find("*********Init_Stop*********"), std::string::npos);
}

TEST_F(ClientDeviceControlTest, RefusedExportEndsItsStatus) {
    Attach({Device("12-1", {{3, 0, 0}})});
    ASSERT_TRUE(m_sim.SendExport(Device("", {{3, 0, 0}})));  // no bus id: refused
    ASSERT_TRUE(m_sim.SendKeepAliveRequest());               // read after the export
    ASSERT_TRUE(m_sim.WaitForCount(wire::kKeepAliveRep, 1));
    EXPECT_EQ(m_control->GetStatus(), porvane::kStatusExportDone);
    EXPECT_EQ(m_control->GetDeviceCount(), 1);
    EXPECT_EQ(m_forwarder->Calls(), std::vector<std::string>{"start 12-1"});
}

TEST_F(ClientDeviceControlTest, AttachingStopsOnceTheLinkIsLost) {
    m_sim.SetDevices(
        {Device("13-1", {{3, 0, 0}}), Device("13-2", {{3, 0, 0}}), Device("13-3", {{3, 0, 0}})});
    ASSERT_EQ(Init(), 0);
    // The receiver goes while the first device is being started.
    m_forwarder->SetOnStart([this](const std::string& bus) {
        if (bus == "13-1") {
            m_sim.CloseClient();
            EXPECT_TRUE(WaitForCalls(1));
        }
    });
    EXPECT_EQ(m_control->AttachAllDevice(), -1);
    EXPECT_EQ(m_forwarder->Calls(), std::vector<std::string>{"start 13-1"});
    EXPECT_EQ(Calls(), (std::vector<Call>{{1, "-"}}));
}
