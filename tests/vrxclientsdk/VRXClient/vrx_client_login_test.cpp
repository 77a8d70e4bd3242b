// Login and channel set-up of the client facade against the simulated
// receiver on loopback: the frame sequences by protocol version, the exact
// extended-login payload, the login answers and what they leave behind, the
// default code, re-login, the supervisor path, the image buffer sizes, the
// busy and version gates, and the adoption of an offered command socket.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/TempDir.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

using facadetest::Bytes;
using facadetest::Ip;
using facadetest::SimReceiver;
using facadetest::TestClient;
using receiver_sim::CommandConfig;
using receiver_sim::Reply;

constexpr const char* kAddressA = "127.0.0.2";
constexpr const char* kAddressB = "127.0.0.3";

class FacadeLoginTest : public testing::Test {
protected:
    // A receiver on `address` whose command port the client learns by discovery.
    SimReceiver& AddReceiver(const char* address, uint16_t version,
                             const std::function<void(CommandConfig&)>& configure = {}) {
        m_receivers.push_back(std::make_unique<SimReceiver>(address, version, configure));
        std::vector<facadetest::Announced> announced;
        for (const auto& r : m_receivers) {
            announced.push_back({r->address.c_str(), r->sim->Port()});
        }
        EXPECT_EQ(facadetest::Discover(client, announced), 0);
        return *m_receivers.back();
    }

    std::string LogText() { return testsupport::ReadFile(m_log.File("client.log")); }

    testsupport::TempDir m_log;
    std::vector<std::unique_ptr<SimReceiver>> m_receivers;  // outlive the client
    TestClient client;
};

TEST_F(FacadeLoginTest, FrameSequenceFollowsTheProtocolVersion) {
    struct Row {
        uint16_t version;
        Bytes codes;
    } rows[] = {
        {0x011B, {0x90, 0x84, 0x80}},        // plain login, no key
        {0x011C, {0x90, 0x84, 0x80, 0xb2}},  // key from here on
        {0x0122, {0x90, 0x84, 0x80, 0xb2}},
        {0x0123, {0x90, 0x92, 0x80, 0xb2}},  // extended login from here on
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.version);
        m_receivers.clear();
        SimReceiver& receiver = AddReceiver(kAddressA, row.version);
        ASSERT_EQ(client.Login(Ip(kAddressA), "alice", "6049"), 0) << client.GetErrorMessage();
        EXPECT_EQ(receiver.RequestCodes(), row.codes);
        EXPECT_EQ(client.GetStatus(), 0);
        EXPECT_EQ(client.GetPeerAddress(), Ip(kAddressA));
        EXPECT_EQ(client.GetDeviceRecord().GetProtocolVersion(), row.version);
        EXPECT_EQ(client.Key(), row.version >= 0x011C ? 0x44332211u : 0u);  // bytes as received
        client.Logout();
        EXPECT_EQ(client.GetStatus(), 200);
        EXPECT_EQ(client.GetPeerAddress(), 0u);
        EXPECT_TRUE(receiver.sim->Errors().empty());
    }
}

// The 128-byte extended login, built from the wire layout: name, the
// sender's address, code, OS, app, point-input type, sidebar, 0x0100, the
// version and the product id, all else zero.
Bytes ExpectedLoginEx(const std::string& name, const std::string& code, uint8_t pointType) {
    Bytes p(128, 0);
    std::memcpy(p.data(), name.data(), name.size());
    const uint32_t self = Ip("127.0.0.1");
    std::memcpy(&p[48], &self, 4);
    std::memcpy(&p[52], code.data(), code.size());
    p[60] = 7;  // OS type
    p[61] = 3;  // app type
    p[62] = pointType;
    p[63] = 1;  // sidebar
    p[64] = 0x01;
    p[65] = 0x00;
    p[66] = 0x00;  // 140522 = 0x000224EA, big-endian
    p[67] = 0x02;
    p[68] = 0x24;
    p[69] = 0xEA;
    std::memcpy(&p[70], "PEMU", 4);  // padded with zero bytes to 8
    return p;
}

TEST_F(FacadeLoginTest, ExtendedLoginPayloadIsExact) {
    struct Row {
        uint16_t version;
        uint8_t sentPointType;
    } rows[] = {{0x0126, 10}, {0x0127, 30}};
    client.SetOSType(7);
    client.SetAppType(3);
    client.SetPointInputType(30);
    client.SetSidebar(1);
    client.SetProductID("PEMU");
    // The sender's source address must be 127.0.0.1: bind-independent check.
    for (const Row& row : rows) {
        SCOPED_TRACE(row.version);
        m_receivers.clear();
        SimReceiver& receiver = AddReceiver(kAddressA, row.version);
        ASSERT_EQ(client.Login(Ip(kAddressA), "alice", "6049"), 0) << client.GetErrorMessage();
        const auto frames = receiver.sim->FramesWithCode(0x92);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].payload, ExpectedLoginEx("alice", "6049", row.sentPointType));
        client.Logout();
    }
}

TEST_F(FacadeLoginTest, LoginAnswersGiveTheirCodesAndRefusalsCloseTheChannel) {
    struct Row {
        uint8_t answer;
        int result;
        const char* message;  // prefix of GetErrorMessage
    } rows[] = {
        {0, qkerr::kLoginRejected, "Login rejected. User name = alice, Password = 1234"},
        {255, qkerr::kAlreadyLoggedIn, "There is already a alice logged in."},
        {1, 0, "OK"},
    };
    ASSERT_EQ(client.SetLog(m_log.File("client.log").c_str(), 700, false), 0);
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.answer));
        m_receivers.clear();
        SimReceiver& receiver = AddReceiver(kAddressA, 0x0130);
        receiver.sim->SetReply(0x92, Reply::Result(row.answer));
        EXPECT_EQ(client.Login(Ip(kAddressA), "alice", "1234"), row.result);
        EXPECT_EQ(client.GetErrorCode(), row.result);
        EXPECT_EQ(client.GetErrorMessage().rfind(row.message, 0), 0u) << client.GetErrorMessage();
        if (row.result < 0) {
            EXPECT_EQ(client.GetStatus(), 200);
            EXPECT_TRUE(receiver.sim->WaitForNoOpenConnection());
            EXPECT_EQ(receiver.RequestCodes(), (Bytes{0x90, 0x92}));
            EXPECT_EQ(client.GetPeerAddress(), 0u);
        } else {
            EXPECT_EQ(client.GetStatus(), 0);
        }
        client.Logout();
    }
    // The caller's message keeps the code; no log line shows it.
    const std::string log = LogText();
    EXPECT_NE(log.find("ErrorCode=-6528301 -> Login rejected. User name = alice, Password = ****"),
              std::string::npos);
    EXPECT_EQ(log.find("1234"), std::string::npos);
}

TEST_F(FacadeLoginTest, ReceiverThatAsksForNoCodeGetsTheDefaultOne) {
    SimReceiver& receiver =
        AddReceiver(kAddressA, 0x0130, [](CommandConfig& c) { c.record.codeMode = 1; });
    ASSERT_EQ(client.Login(Ip(kAddressA), "alice", "9999"), 0) << client.GetErrorMessage();
    auto frames = receiver.sim->FramesWithCode(0x92);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(std::string(frames[0].payload.begin() + 52, frames[0].payload.begin() + 60),
              std::string("6049\0\0\0\0", 8));
    client.Logout();

    // A refusal still names the caller's password.
    receiver.sim->SetReply(0x92, Reply::Result(0));
    EXPECT_EQ(client.Login(Ip(kAddressA), "alice", "9999"), qkerr::kLoginRejected);
    EXPECT_EQ(
        client.GetErrorMessage().rfind("Login rejected. User name = alice, Password = 9999", 0),
        0u);
}

TEST_F(FacadeLoginTest, ReLoginToTheSameReceiverSendsNothingAndToAnotherLogsOutFirst) {
    SimReceiver& a = AddReceiver(kAddressA, 0x0130);
    SimReceiver& b = AddReceiver(kAddressB, 0x0130);
    ASSERT_EQ(client.Login(Ip(kAddressA), "alice", "6049"), 0) << client.GetErrorMessage();
    a.sim->Settle();
    a.sim->ClearFrames();

    ASSERT_EQ(client.Login(Ip(kAddressA), "alice", "6049"), 0);
    a.sim->Settle();
    EXPECT_TRUE(a.RequestCodes().empty());
    EXPECT_EQ(a.sim->OpenConnections(), 1u);

    ASSERT_EQ(client.Login(Ip(kAddressB), "alice", "6049"), 0) << client.GetErrorMessage();
    EXPECT_TRUE(a.sim->WaitForNoOpenConnection());
    EXPECT_EQ(b.RequestCodes(), (Bytes{0x90, 0x92, 0x80, 0xb2}));
    EXPECT_EQ(client.GetPeerAddress(), Ip(kAddressB));
    EXPECT_EQ(client.GetDeviceRecord().GetName(), std::string("Receiver ") + kAddressB);
}

TEST_F(FacadeLoginTest, SupervisorLoginThenLogsInWithTheDefaultCode) {
    struct Row {
        uint8_t answer;
        int result;
        Bytes codes;
    } rows[] = {
        {1, 0, {0x90, 0xb0, 0x92, 0x80, 0xb2}},
        {0, qkerr::kLoginRejected, {0x90, 0xb0}},
        {255, qkerr::kAlreadyLoggedIn, {0x90, 0xb0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.answer));
        m_receivers.clear();
        SimReceiver& receiver = AddReceiver(kAddressA, 0x0130);
        receiver.sim->SetReply(0xb0, Reply::Result(row.answer));
        EXPECT_EQ(client.SupervisorLogin(Ip(kAddressA), "admin"), row.result);
        EXPECT_EQ(receiver.RequestCodes(), row.codes);
        if (row.result == 0) {
            const auto login = receiver.sim->FramesWithCode(0x92);
            ASSERT_EQ(login.size(), 1u);
            EXPECT_EQ(std::string(login[0].payload.begin(), login[0].payload.begin() + 10),
                      std::string("supervisor"));
            EXPECT_EQ(std::string(login[0].payload.begin() + 52, login[0].payload.begin() + 56),
                      "6049");
        } else {
            EXPECT_TRUE(receiver.sim->WaitForNoOpenConnection());
            EXPECT_EQ(client.GetStatus(), 200);
        }
        if (row.result == qkerr::kAlreadyLoggedIn) {
            EXPECT_EQ(client.GetErrorMessage().rfind("There is already a supervisor logged in.", 0),
                      0u);
        }
        client.Logout();
    }
}

TEST_F(FacadeLoginTest, ImageBufferFollowsTheCapabilities) {
    struct Row {
        uint8_t fbf;
        uint8_t fbf2;
        int size;
    } rows[] = {{0x80, 0x04, 0x500000}, {0x80, 0x00, 0x300000}, {0x00, 0x04, 0x180000}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.size);
        m_receivers.clear();
        AddReceiver(kAddressA, 0x0130, [&](CommandConfig& c) {
            c.capabilities.fbf = row.fbf;
            c.capabilities.fbf2 = row.fbf2;
        });
        ASSERT_EQ(client.Login(Ip(kAddressA), "alice", "6049"), 0) << client.GetErrorMessage();
        EXPECT_EQ(client.BufferSize(), row.size);
        client.Logout();
    }
}

TEST_F(FacadeLoginTest, SecondThreadIsToldTheFacadeIsBusy) {
    SimReceiver& receiver = AddReceiver(kAddressA, 0x0130);
    receiver.sim->SetReply(0x92, Reply::None());  // the login waits for its answer
    std::thread first([&] { client.Login(Ip(kAddressA), "alice", "6049"); });
    // Once the extended login has arrived, the first thread holds the
    // facade until its answer comes.
    EXPECT_TRUE(facadetest::WaitUntil([&] { return !receiver.sim->FramesWithCode(0x92).empty(); }));

    uint8_t status[2] = {};
    std::string value;
    EXPECT_EQ(client.Login(Ip(kAddressA), "bob", "6049"), qkerr::kBusy);
    EXPECT_EQ(client.GetErrorMessage().rfind("System is busy now. Please retry later!", 0), 0u);
    EXPECT_EQ(client.GetDeviceStatus(status), qkerr::kBusy);
    EXPECT_EQ(client.GetValue("key", &value), qkerr::kBusy);
    EXPECT_EQ(client.InitIBSocket(platform::kInvalidSocket), qkerr::kBusy);

    receiver.sim->CloseClient();  // ends the waiting login
    first.join();
    EXPECT_EQ(client.GetStatus(), 200);
}

TEST_F(FacadeLoginTest, OperationsNewerReceiversOfferAreRefusedByOlderOnes) {
    struct Row {
        uint16_t version;
        int senderCount;
        int forward;
    } rows[] = {
        {0x011E, qkerr::kReceiverTooOld, qkerr::kReceiverTooOld},
        {0x0127, qkerr::kReceiverTooOld, 0},
        {0x0128, 1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.version);
        m_receivers.clear();
        AddReceiver(kAddressA, row.version);
        ASSERT_EQ(client.Login(Ip(kAddressA), "alice", "6049"), 0) << client.GetErrorMessage();
        EXPECT_EQ(client.GetSenderCount(), row.senderCount);
        if (row.senderCount < 0) {
            EXPECT_EQ(
                client.GetErrorMessage().rfind(
                    "Receiver version is too old to support this operation: GetSenderCount", 0),
                0u);
        }
        std::string reply = "stale";
        EXPECT_EQ(client.ForwardMessageText(0x1000020, "GET_CONFERENCE_INFO", &reply), row.forward);
        EXPECT_EQ(reply, "");  // the simulator answers with an empty reply
        EXPECT_EQ(client.ForwardMessageStr(0x1000020, 3, "abc") < 0, row.forward < 0);
        client.Logout();
    }
}

TEST_F(FacadeLoginTest, ValuesAreChangedAndReadBack) {
    SimReceiver& receiver = AddReceiver(kAddressA, 0x0130);
    ASSERT_EQ(client.Login(Ip(kAddressA), "alice", "6049"), 0) << client.GetErrorMessage();
    EXPECT_EQ(client.ChangeValue("RecvName", "Hall 2", 10), 1);
    std::string value = "stale";
    EXPECT_EQ(client.GetValue("RecvName", &value), 0);
    EXPECT_EQ(value, "Hall 2");
    uint8_t status[2] = {0xff, 0xff};
    EXPECT_GE(client.GetDeviceStatus(status), 0);
    EXPECT_EQ(status[0], 0);
    EXPECT_EQ(status[1], 0);

    receiver.sim->SetReply(0x96, Reply::Result(0));
    EXPECT_EQ(client.ChangeValue("RecvName", "Hall 3", 10), qkerr::kChangeValue);
    EXPECT_EQ(client.GetErrorMessage().rfind(
                  "Device returned fail on changing value -> name:RecvName, value:Hall 3", 0),
              0u);
}

TEST_F(FacadeLoginTest, AnnouncedPortZeroIsNeverTried) {
    AddReceiver(kAddressA, 0x0130);
    ASSERT_EQ(facadetest::Discover(client, {{kAddressA, 0}}), 0);
    client.SetNoBindingPort({389, 3268});
    EXPECT_EQ(client.Login(Ip(kAddressA), "alice", "6049"), qkerr::kEmptyPortList);
}

// A TCP connection accepted on 127.0.0.1 from `from`, as the sender server
// would hand it over: `accepted` is the sender's end, `remote` the peer's.
struct AcceptedConnection {
    explicit AcceptedConnection(const char* from) {
        const int listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = Ip("127.0.0.1");
        socklen_t len = sizeof a;
        EXPECT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        EXPECT_EQ(listen(listener, 1), 0);
        getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
        remote = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in source{};
        source.sin_family = AF_INET;
        source.sin_addr.s_addr = Ip(from);
        EXPECT_EQ(bind(remote, reinterpret_cast<sockaddr*>(&source), sizeof source), 0);
        EXPECT_EQ(connect(remote, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        accepted = accept(listener, nullptr, nullptr);
        close(listener);
    }
    ~AcceptedConnection() { close(remote); }
    // True when the sender's end was closed: end of stream within 5 s.
    bool RemoteSeesClose() const {
        pollfd p{remote, POLLIN, 0};
        char byte;
        return poll(&p, 1, 5000) == 1 && recv(remote, &byte, 1, 0) == 0;
    }
    int accepted = -1;
    int remote = -1;
};

TEST_F(FacadeLoginTest, OfferedCommandSocketIsClosedWhileConnected) {
    SimReceiver& receiver = AddReceiver(kAddressA, 0x0130);
    ASSERT_EQ(client.Login(Ip(kAddressA), "alice", "6049"), 0) << client.GetErrorMessage();
    AcceptedConnection offered(kAddressA);
    ASSERT_GE(offered.accepted, 0);

    EXPECT_EQ(client.InitCmdSocket(offered.accepted), VRXClient::kKeptConnection);
    EXPECT_TRUE(offered.RemoteSeesClose());
    EXPECT_EQ(client.GetStatus(), 0);  // the login's connection stays
    EXPECT_EQ(receiver.sim->OpenConnections(), 1u);
}

}  // namespace
