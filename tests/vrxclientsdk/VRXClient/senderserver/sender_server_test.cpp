// Sender-server mode on its fixed ports: the receiver simulator connects to
// 16121, 16120 and 16122 from 127.0.0.1 or 127.0.0.2 and logs in; the
// discovery reply shows the server's state.
#include "vrxclientsdk/VRXClient/senderserver/SenderServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/input/fake_input_injector.h"
#include "tests/receiver/sender/SenderAnnouncement.h"
#include "tests/receiver/sender/SenderQuery.h"
#include "tests/receiver/sender/SenderServerPeer.h"
#include "tests/support/TempDir.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

using facadetest::Ip;
using facadetest::WaitUntil;
using receiver_sim::SenderServerPeer;

// The server with its hooks counted. Like every class derived from the
// sender server, it stops the servers and shuts the facade down first.
class TestServer : public SenderServer {
public:
    TestServer()
        : SenderServer(
              std::make_shared<InputReplay>(std::make_shared<platform::FakeInputInjector>())) {}
    ~TestServer() override {
        StopSenderServer();
        Shutdown();
    }

    void OnConnect(platform::SocketHandle s, uint16_t port) override {
        SenderServer::OnConnect(s, port);
        ++connects;
    }
    void OnStandby(const char* code) override {
        SenderServer::OnStandby(code);
        ++standbys;
    }
    void OnLogin(const in_addr* receiver) override {
        SenderServer::OnLogin(receiver);
        loggedIn = receiver->s_addr;
    }
    using SenderServer::OnLogin;

    std::atomic<int> connects{0};
    std::atomic<int> standbys{0};
    std::atomic<uint32_t> loggedIn{0};
};

SenderServerPeer::Config From(const char* address, uint8_t fbf = 0) {
    SenderServerPeer::Config config;
    config.localAddress = address;
    config.command.capabilities.fbf = fbf;
    config.command.record.ipv4 = address;
    return config;
}

class SenderServerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(server.StartSenderServer(nullptr), 0) << server.GetErrorMessage();
    }

    // Connects `peer` to `port` and waits until the server has routed it.
    int Connect(SenderServerPeer& peer, uint16_t port) {
        const int before = server.connects.load();
        const int rc =
            port == SenderServer::kCommandPort ? peer.ConnectCommand(port) : peer.ConnectRaw(port);
        EXPECT_GE(rc, 0);
        EXPECT_TRUE(WaitUntil([&] { return server.connects.load() > before; }));
        return rc;
    }

    // A receiver on 127.0.0.1 with its command connection adopted.
    std::unique_ptr<SenderServerPeer> Adopted(uint8_t fbf = 0) {
        auto peer = std::make_unique<SenderServerPeer>(From("127.0.0.1", fbf));
        Connect(*peer, SenderServer::kCommandPort);
        EXPECT_TRUE(server.CommandConnectedForTest());
        EXPECT_EQ(server.GetStatus(), kVrxIdle);
        return peer;
    }

    int LogIn(SenderServerPeer& peer, const std::string& code) {
        peer.Command().ClearFrames();
        EXPECT_TRUE(peer.SendLogin(code));
        return peer.WaitLoginResult();
    }

    TestServer server;
};

TEST_F(SenderServerTest, ImageConnectionIsAdoptedFromTheCommandPeerOnly) {
    auto peer = Adopted();
    SenderServerPeer stranger(From("127.0.0.2"));
    const int foreign = Connect(stranger, SenderServer::kImagePort);
    EXPECT_TRUE(SenderServerPeer::ClosedBySender(foreign));

    const int image = Connect(*peer, SenderServer::kImagePort);
    EXPECT_FALSE(SenderServerPeer::ClosedBySender(image, 0));
    // Without capability bit 0x20 the set is complete.
    EXPECT_FALSE(server.CommandConnectedForTest());
    EXPECT_FALSE(server.ImageConnectedForTest());

    // A third connection from a stranger, and any other port's, are closed.
    const int third = Connect(stranger, SenderServer::kThirdPort);
    EXPECT_TRUE(SenderServerPeer::ClosedBySender(third));
    EXPECT_EQ(server.TakeAuxSocket(), platform::kInvalidSocket);
    EXPECT_TRUE(peer->Command().Errors().empty());
}

TEST_F(SenderServerTest, CapabilityBit20WaitsForTheThirdConnection) {
    const struct {
        uint8_t fbf;
        bool imageFlag;  // after the image connection
    } rows[] = {{0x00, false}, {0x20, true}, {0xFF, true}, {0xDF, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.fbf));
        auto peer = Adopted(row.fbf);
        Connect(*peer, SenderServer::kImagePort);
        EXPECT_EQ(server.ImageConnectedForTest(), row.imageFlag);
        EXPECT_EQ(server.CommandConnectedForTest(), row.imageFlag);
        const int third = Connect(*peer, SenderServer::kThirdPort);
        EXPECT_FALSE(server.CommandConnectedForTest());
        EXPECT_FALSE(server.ImageConnectedForTest());
        const platform::SocketHandle aux = server.TakeAuxSocket();
        EXPECT_NE(aux, platform::kInvalidSocket);
        EXPECT_EQ(server.TakeAuxSocket(), platform::kInvalidSocket);
        platform::CloseSocketHandle(aux);
        EXPECT_TRUE(SenderServerPeer::ClosedBySender(third));
        server.Logout();
    }
}

TEST_F(SenderServerTest, LoginCodeDecidesTheLogin) {
    auto peer = Adopted();
    const struct {
        int type;
        const char* code;
        const char* password;
        int result;
    } rows[] = {
        {SenderServer::kNoLoginCode, "", "anything", 1},
        {SenderServer::kGivenLoginCode, "123456", "123456", 1},
        {SenderServer::kGivenLoginCode, "123456", "123457", 0},
        {SenderServer::kGivenLoginCode, "123456", "023456", 0},
        {SenderServer::kGivenLoginCode, "123456", "12345", 0},
        {SenderServer::kGivenLoginCode, "123456", "", 0},
        {SenderServer::kRandomLoginCode, "", "", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.type) + " " + row.password);
        server.SetLoginCode(row.type, row.code);
        server.loggedIn = 0;
        EXPECT_EQ(LogIn(*peer, row.password), row.result);
        EXPECT_EQ(server.loggedIn.load(), row.result == 1 ? Ip("127.0.0.1") : 0u);
    }
    // The random code itself is accepted.
    EXPECT_EQ(LogIn(*peer, server.GetLoginCode()), 1);
    EXPECT_EQ(server.GetPeerAddress(), Ip("127.0.0.1"));
    EXPECT_TRUE(peer->Command().Errors().empty());
}

TEST_F(SenderServerTest, WhileLoggedInOnlyThatReceiverMayConnect) {
    auto peer = Adopted();
    ASSERT_EQ(LogIn(*peer, "x"), 1);
    SenderServerPeer stranger(From("127.0.0.2"));
    const int before = server.connects.load();
    ASSERT_EQ(stranger.ConnectCommand(SenderServer::kCommandPort), 0);
    ASSERT_TRUE(WaitUntil([&] { return server.connects.load() > before; }));
    EXPECT_TRUE(stranger.Command().WaitForNoOpenConnection());
    EXPECT_EQ(server.GetStatus(), kVrxIdle);
    EXPECT_EQ(server.GetPeerAddress(), Ip("127.0.0.1"));

    // Once it logged out, another receiver may come.
    server.Logout();
    auto next = std::make_unique<SenderServerPeer>(From("127.0.0.2"));
    Connect(*next, SenderServer::kCommandPort);
    EXPECT_TRUE(server.CommandConnectedForTest());
    EXPECT_EQ(server.GetPeerAddress(), Ip("127.0.0.2"));
}

TEST_F(SenderServerTest, SetLoginCodeRestartsOnlyOnAChange) {
    const int start = server.standbys.load();
    const struct {
        int type;
        const char* code;
        int restarts;  // so far
    } steps[] = {
        {SenderServer::kRandomLoginCode, "", 1},    {SenderServer::kRandomLoginCode, "9", 1},
        {SenderServer::kGivenLoginCode, "4321", 2}, {SenderServer::kGivenLoginCode, "4321", 2},
        {SenderServer::kGivenLoginCode, "4322", 3}, {SenderServer::kNoLoginCode, nullptr, 4},
        {SenderServer::kNoLoginCode, nullptr, 4},
    };
    std::string random;
    for (const auto& step : steps) {
        SCOPED_TRACE(std::to_string(step.type) + (step.code ? step.code : ""));
        server.SetLoginCode(step.type, step.code);
        EXPECT_EQ(server.standbys.load() - start, step.restarts);
        if (step.type == SenderServer::kRandomLoginCode) {
            if (random.empty()) {
                random = server.GetLoginCode();
            }
            EXPECT_EQ(server.GetLoginCode(), random);  // kept
        }
    }
    EXPECT_EQ(random.size(), 6u);
    EXPECT_EQ(server.GetLoginCode(), "");
}

TEST(SenderServerCodeTest, RandomCodesAreSixDigitsOverTheWholeRange) {
    std::set<char> firstDigits;
    bool aboveOldRange = false;
    for (int i = 0; i < 2000; ++i) {
        const std::string code = SenderServer::MakeRandomLoginCode();
        ASSERT_EQ(code.size(), 6u);
        ASSERT_EQ(code.find_first_not_of("0123456789"), std::string::npos);
        firstDigits.insert(code[0]);
        aboveOldRange = aboveOldRange || std::stoi(code) > 32767;
    }
    // 2000 uniform draws miss one of ten first digits with a chance of 1e-91.
    EXPECT_EQ(firstDigits.size(), 10u);
    EXPECT_TRUE(aboveOldRange);
}

// Listening sockets that another program holds on some of the ports.
struct HeldPorts {
    explicit HeldPorts(std::vector<uint16_t> ports) {
        for (uint16_t port : ports) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            // Earlier tests leave connections of these ports in TIME_WAIT.
            int one = 1;
            ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
            sockaddr_in sa{};
            sa.sin_family = AF_INET;
            sa.sin_port = htons(port);
            EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
            EXPECT_EQ(::listen(fd, 1), 0);
            fds.push_back(fd);
        }
    }
    ~HeldPorts() {
        for (int fd : fds) {
            ::close(fd);
        }
    }
    std::vector<int> fds;
};

TEST(SenderServerPortsTest, HeldPortsAreSkippedAndNoneListeningIsAnError) {
    {
        HeldPorts held({SenderServer::kCommandPort});
        TestServer server;
        EXPECT_EQ(server.StartSenderServer(nullptr), 0);
        EXPECT_EQ(server.standbys.load(), 1);
    }
    HeldPorts held(
        {SenderServer::kImagePort, SenderServer::kCommandPort, SenderServer::kThirdPort});
    TestServer server;
    EXPECT_EQ(server.StartSenderServer(nullptr), qkerr::kNoServerSocket);
    EXPECT_EQ(server.GetErrorCode(), qkerr::kNoServerSocket);
    EXPECT_EQ(server.standbys.load(), 0);
}

TEST_F(SenderServerTest, DiscoveryReplyShowsTheServersState) {
    receiver_sim::SenderQuery query;
    auto ask = [&] {
        receiver_sim::SenderAnnouncement reply;
        std::string error;
        EXPECT_TRUE(query.SendQuery("127.0.0.1", 11048));
        auto answer = query.Receive();
        EXPECT_TRUE(answer);
        if (answer) {
            EXPECT_TRUE(receiver_sim::SenderAnnouncement::Decode(answer->bytes, &reply, &error))
                << error;
        }
        return reply;
    };
    receiver_sim::SenderAnnouncement reply = ask();
    EXPECT_EQ(reply.noLoginCode, 1);
    EXPECT_EQ(reply.clientState, 200);
    EXPECT_EQ(reply.commandPort, 16121);

    server.SetLoginCode(SenderServer::kGivenLoginCode, "2468");
    auto peer = Adopted();
    reply = ask();
    EXPECT_EQ(reply.noLoginCode, 0);
    EXPECT_EQ(reply.clientState, 0);

    // Started with the application's record: only its name is set.
    ReplySenderDiscovery::AnnounceType record;
    std::memset(static_cast<void*>(&record), 0, sizeof record);
    std::strcpy(record.senderName, "alice");
    ASSERT_EQ(server.StartSenderServer(&record), 0);
    reply = ask();
    EXPECT_EQ(reply.name, "alice");
    EXPECT_EQ(reply.commandPort, 0);
}

TEST_F(SenderServerTest, CodesAndPasswordsStayOutOfTheLog) {
    testsupport::TempDir dir;
    ASSERT_EQ(server.SetLog(dir.File("sender.log").c_str(), 700, false), 0);
    server.SetLoginCode(SenderServer::kGivenLoginCode, "975310");
    auto peer = Adopted();
    EXPECT_EQ(LogIn(*peer, "864200"), 0);
    EXPECT_EQ(LogIn(*peer, "975310"), 1);
    std::ifstream file(dir.File("sender.log"));
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str().find("975310"), std::string::npos);
    EXPECT_EQ(text.str().find("864200"), std::string::npos);
    EXPECT_NE(text.str().find("OnLogin Success pk:11223344 pw:****"), std::string::npos);
}

}  // namespace
