// Sender-server mode on its fixed ports: the receiver simulator connects to
// 16121, 16120 and 16122 from 127.0.0.1 or 127.0.0.2 and logs in; the
// discovery reply shows the server's state. The server listens on a loopback
// address of this process's own, so that another program on the fixed ports
// of other addresses does not disturb it.
#include "vrxclientsdk/VRXClient/senderserver/SenderServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
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
#include "tests/support/OwnLoopbackAddress.h"
#include "tests/support/TempDir.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

using facadetest::Ip;
using facadetest::WaitUntil;
using receiver_sim::SenderServerPeer;

// Where the servers of this process listen.
const std::string& ServerAddress() {
    static const std::string address = testsupport::OwnLoopbackAddress(128, 0x1f);
    return address;
}

// A TCP socket bound to `port` of ServerAddress(), or -1 (closed) when the
// port is taken. Earlier tests leave connections of these ports in
// TIME_WAIT: they don't count.
int BindServerPort(uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = Ip(ServerAddress().c_str());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The sender's ports on ServerAddress() that another program holds.
std::string PortsHeldElsewhere() {
    std::string held;
    for (uint16_t port :
         {SenderServer::kImagePort, SenderServer::kCommandPort, SenderServer::kThirdPort}) {
        const int fd = BindServerPort(port);
        if (fd < 0) {
            held += " " + std::to_string(port);
        } else {
            ::close(fd);
        }
    }
    return held;
}

// The server with its hooks counted. Like every class derived from the
// sender server, it stops the servers and shuts the facade down first.
class TestServer : public SenderServer {
public:
    TestServer()
        : SenderServer(
              std::make_shared<InputReplay>(std::make_shared<platform::FakeInputInjector>())) {
        SetListenAddress(Ip(ServerAddress().c_str()));
    }
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
    int InitCmdSocket(platform::SocketHandle s) override {
        const int rc = SenderServer::InitCmdSocket(s);
        commandsAdopted += rc == 0 ? 1 : 0;
        return rc;
    }
    int InitIBSocket(platform::SocketHandle s) override {
        const int rc = SenderServer::InitIBSocket(s);
        imagesAdopted += rc == 0 ? 1 : 0;
        return rc;
    }

    std::atomic<int> commandsAdopted{0};
    std::atomic<int> imagesAdopted{0};
    std::atomic<int> connects{0};
    std::atomic<int> standbys{0};
    std::atomic<uint32_t> loggedIn{0};
};

SenderServerPeer::Config From(const char* address, uint8_t fbf = 0) {
    SenderServerPeer::Config config;
    config.localAddress = address;
    config.senderAddress = ServerAddress();
    config.command.capabilities.fbf = fbf;
    config.command.record.ipv4 = address;
    return config;
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// True once the sender closed `fd`, whatever it sent before (within 10 s).
bool ClosedAfterReading(int fd) {
    char buffer[256];
    for (int i = 0; i < 1000; ++i) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10) < 0) {
            return false;
        }
        if (p.revents != 0) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                return true;
            }
        }
    }
    return false;
}

class SenderServerTest : public testing::Test {
protected:
    void SetUp() override {
        // Ports held before the start would be skipped, and the tests fail
        // later for no clear reason.
        const std::string held = PortsHeldElsewhere();
        ASSERT_TRUE(held.empty()) << "another program holds the sender ports" << held << " on "
                                  << ServerAddress();
        ASSERT_EQ(server.StartSenderServer(nullptr), 0) << server.GetErrorMessage();
    }

    // Connects `peer` to `port` and waits until the server has routed it
    // and nothing waits for adoption any more.
    int Connect(SenderServerPeer& peer, uint16_t port) {
        const int before = server.connects.load();
        const int rc =
            port == SenderServer::kCommandPort ? peer.ConnectCommand(port) : peer.ConnectRaw(port);
        EXPECT_GE(rc, 0);
        EXPECT_TRUE(WaitUntil([&] { return server.connects.load() > before; }));
        EXPECT_TRUE(Settled());
        return rc;
    }

    // True once no accepted connection waits for adoption.
    bool Settled() {
        return WaitUntil([&] { return server.WaitingForTest() == 0; }, 10000);
    }

    // A receiver on `address` with its command connection adopted.
    std::unique_ptr<SenderServerPeer> Adopted(uint8_t fbf = 0, const char* address = "127.0.0.1") {
        auto peer = std::make_unique<SenderServerPeer>(From(address, fbf));
        const int before = server.commandsAdopted.load();
        Connect(*peer, SenderServer::kCommandPort);
        EXPECT_TRUE(WaitUntil([&] { return server.commandsAdopted.load() > before; }));
        EXPECT_TRUE(WaitUntil([&] { return server.CommandConnectedForTest(); }));
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

TEST_F(SenderServerTest, ConnectionsAreAdoptedInWhateverOrderTheyArrive) {
    using Order = std::vector<uint16_t>;
    const uint16_t cmd = SenderServer::kCommandPort;
    const uint16_t img = SenderServer::kImagePort;
    const uint16_t third = SenderServer::kThirdPort;
    const Order orders[] = {{cmd, img, third}, {img, cmd, third}, {img, third, cmd},
                            {third, img, cmd}, {cmd, third, img}, {third, cmd, img}};
    for (const Order& order : orders) {
        SCOPED_TRACE(std::to_string(order[0]) + " " + std::to_string(order[1]) + " " +
                     std::to_string(order[2]));
        const int images = server.imagesAdopted.load();
        {
            // No waiting between the connections, as a receiver opens them.
            SenderServerPeer peer(From("127.0.0.1", 0x20));
            std::vector<int> raw;
            for (uint16_t port : order) {
                if (port == cmd) {
                    ASSERT_EQ(peer.ConnectCommand(cmd), 0);
                } else {
                    raw.push_back(peer.ConnectRaw(port));
                    ASSERT_GE(raw.back(), 0);
                }
            }
            ASSERT_TRUE(WaitUntil([&] { return server.connects.load() >= 3; }));
            ASSERT_TRUE(Settled());
            EXPECT_EQ(server.imagesAdopted.load(), images + 1);
            const platform::SocketHandle aux = server.TakeAuxSocket();
            EXPECT_NE(aux, platform::kInvalidSocket);
            platform::CloseSocketHandle(aux);
            EXPECT_FALSE(server.CommandConnectedForTest());
            EXPECT_FALSE(server.ImageConnectedForTest());
            EXPECT_EQ(LogIn(peer, "x"), 1);
            EXPECT_TRUE(peer.Command().Errors().empty());
        }
        server.Logout();
        // The next set comes once this session is over.
        ASSERT_TRUE(WaitUntil([&] { return server.GetStatus() == kVrxDisconnected; }));
        server.connects = 0;
    }
}

TEST_F(SenderServerTest, AnEndedSessionsAddressAdoptsNothing) {
    {
        auto peer = Adopted();
        Connect(*peer, SenderServer::kImagePort);
        server.Logout();
    }
    ASSERT_TRUE(WaitUntil([&] { return server.GetStatus() == kVrxDisconnected; }));
    const int images = server.imagesAdopted.load();
    SenderServerPeer late(From("127.0.0.1"));
    const int image = Connect(late, SenderServer::kImagePort);
    const int third = Connect(late, SenderServer::kThirdPort);
    EXPECT_TRUE(SenderServerPeer::ClosedBySender(image));
    EXPECT_TRUE(SenderServerPeer::ClosedBySender(third));
    EXPECT_EQ(server.imagesAdopted.load(), images);
    EXPECT_EQ(server.TakeAuxSocket(), platform::kInvalidSocket);
}

TEST_F(SenderServerTest, ASecondCommandConnectionOfTheReceiverChangesNothing) {
    auto peer = Adopted();
    ASSERT_EQ(LogIn(*peer, "x"), 1);
    {
        // The logged-in receiver's address opens and closes another one.
        SenderServerPeer again(From("127.0.0.1"));
        Connect(again, SenderServer::kCommandPort);
        EXPECT_TRUE(again.Command().WaitForNoOpenConnection());
    }
    peer->Command().ClearFrames();
    SenderServerPeer stranger(From("127.0.0.2"));
    Connect(stranger, SenderServer::kCommandPort);
    EXPECT_TRUE(stranger.Command().WaitForNoOpenConnection());
    EXPECT_EQ(server.GetPeerAddress(), Ip("127.0.0.1"));
    EXPECT_EQ(server.GetStatus(), kVrxIdle);
    EXPECT_EQ(peer->Command().OpenConnections(), 1u);
    for (const auto& received : peer->Command().Frames()) {  // nothing asked of it again
        EXPECT_NE(received.frame.kind, receiver_sim::SenderFrame::Kind::kRequest)
            << static_cast<int>(received.frame.code);
    }
}

TEST_F(SenderServerTest, ASilentPeerDoesNotHoldUpTheReceiver) {
    SenderServerPeer silent(From("127.0.0.3"));
    const int mute = silent.ConnectRaw(SenderServer::kCommandPort);
    ASSERT_GE(mute, 0);
    SenderServerPeer peer(From("127.0.0.1"));
    ASSERT_EQ(peer.ConnectCommand(SenderServer::kCommandPort), 0);
    ASSERT_EQ(peer.ConnectRaw(SenderServer::kImagePort) >= 0, true);
    ASSERT_TRUE(peer.SendLogin("x"));
    // The silent one is cut off at its deadline, well before the receiver's
    // login would give up.
    EXPECT_EQ(peer.WaitLoginResult(SenderServer::kIdentifyMs + 4000), 1);
    EXPECT_EQ(server.GetPeerAddress(), Ip("127.0.0.1"));
    EXPECT_TRUE(ClosedAfterReading(mute));
}

TEST_F(SenderServerTest, ALoginSentWithTheConnectionIsThatReceiversLogin) {
    // The login comes before the sender has identified the receiver: it
    // still counts for the receiver's address, and the session it opens
    // keeps others out.
    SenderServerPeer peer(From("127.0.0.1"));
    ASSERT_EQ(peer.ConnectCommand(SenderServer::kCommandPort), 0);
    ASSERT_TRUE(peer.SendLogin("x"));
    ASSERT_EQ(peer.WaitLoginResult(), 1);
    EXPECT_EQ(server.loggedIn.load(), Ip("127.0.0.1"));
    EXPECT_EQ(server.GetPeerAddress(), Ip("127.0.0.1"));
    ASSERT_TRUE(Settled());
    SenderServerPeer stranger(From("127.0.0.2"));
    Connect(stranger, SenderServer::kCommandPort);
    EXPECT_TRUE(stranger.Command().WaitForNoOpenConnection());
    EXPECT_EQ(server.GetPeerAddress(), Ip("127.0.0.1"));
    EXPECT_EQ(peer.Command().OpenConnections(), 1u);
}

TEST_F(SenderServerTest, WrongCodesCloseTheConnectionThenRefuseTheAddress) {
    testsupport::TempDir dir;
    ASSERT_EQ(server.SetLog(dir.File("sender.log").c_str(), 700, false), 0);
    server.SetLoginCode(SenderServer::kGivenLoginCode, "482913");
    const int perConnection = LoginAttemptLimiter::kConnectionLimit;
    const int connections = LoginAttemptLimiter::kAddressLimit / perConnection;
    for (int c = 0; c < connections; ++c) {
        SCOPED_TRACE(c);
        ASSERT_TRUE(WaitUntil([&] { return server.GetStatus() == kVrxDisconnected; }));
        auto peer = Adopted(0, "127.0.0.2");
        for (int i = 0; i < perConnection; ++i) {
            EXPECT_EQ(LogIn(*peer, "00000" + std::to_string(i)), 0);
        }
        EXPECT_TRUE(peer->Command().WaitForNoOpenConnection());
    }
    // The address is refused now, with the right code too; another is not.
    ASSERT_TRUE(WaitUntil([&] { return server.GetStatus() == kVrxDisconnected; }));
    const int adopted = server.commandsAdopted.load();
    SenderServerPeer refused(From("127.0.0.2"));
    Connect(refused, SenderServer::kCommandPort);
    EXPECT_TRUE(refused.Command().WaitForNoOpenConnection());
    EXPECT_EQ(server.commandsAdopted.load(), adopted);
    auto other = Adopted(0, "127.0.0.1");
    EXPECT_EQ(LogIn(*other, "482913"), 1);

    const std::string text = ReadText(dir.File("sender.log"));
    EXPECT_EQ(text.find("482913"), std::string::npos);
    EXPECT_EQ(text.find("000003"), std::string::npos);
    EXPECT_NE(text.find("wrong code **** from 127.0.0.2"), std::string::npos);
    EXPECT_NE(text.find("127.0.0.2 refused for 60 s"), std::string::npos);
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
            const int fd = BindServerPort(port);
            EXPECT_GE(fd, 0) << port;
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
        EXPECT_TRUE(query.SendQuery(ServerAddress(), 11048));
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
    const std::string text = ReadText(dir.File("sender.log"));
    EXPECT_EQ(text.find("975310"), std::string::npos);
    EXPECT_EQ(text.find("864200"), std::string::npos);
    EXPECT_NE(text.find("OnLogin Success pk:11223344 pw:****"), std::string::npos);
}

}  // namespace
