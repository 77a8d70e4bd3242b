#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/LoopbackPeer.h"
#include "vrxclientsdk/VRPClient/PortConnector.h"
#include "vrxclientsdk/VRXClient/imagechannel/EncoderModuleSource.h"
#include "vrxclientsdk/VRXClient/imagechannel/IBClient.h"

namespace {

// The handshake needs no encoder module.
class NoEncoderModules : public EncoderModuleSource {
public:
    platform::DynamicLibrary* Jpeg() const override { return nullptr; }
    platform::DynamicLibrary* H264() const override { return nullptr; }
    platform::DynamicLibrary* LoadH264Again() override { return nullptr; }
};

class HandshakeProbe : public IBClient {
public:
    HandshakeProbe() : IBClient(m_modules) {}
    // The most-derived destructor ends the connection's threads first.
    ~HandshakeProbe() override { ShutdownConnection(); }
    using IBClient::Handshake;

private:
    static inline NoEncoderModules m_modules;
};

struct SocketPair {
    SocketPair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fd), 0); }
    ~SocketPair() {
        ::close(fd[0]);
        if (fd[1] >= 0) {
            ::close(fd[1]);
        }
    }
    void Send(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(::send(fd[1], bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    }
    int fd[2] = {-1, -1};
};

const std::vector<uint8_t> kHandshake = {'v', 'r', 'p', 'i', 'b', 0, 0, 0x10, 0, 0, 0, 0};

}  // namespace

TEST(IBClientHandshakeTest, WithTheFlagClearNothingIsRead) {
    HandshakeProbe client;
    SocketPair pair;
    pair.Send({1, 2, 3});
    EXPECT_EQ(client.Handshake(pair.fd[0]), 0);
    uint8_t buf[3];
    EXPECT_EQ(::recv(pair.fd[0], buf, sizeof buf, MSG_DONTWAIT), 3);
}

TEST(IBClientHandshakeTest, CollectsTwelveBytesAcrossReadsAndChecksThem) {
    struct Case {
        const char* name;
        std::vector<std::vector<uint8_t>> reads;  // bytes arriving before each call
        std::vector<int> results;
    } cases[] = {
        {"whole", {kHandshake}, {0}},
        {"eleven, then one more",
         {std::vector<uint8_t>(kHandshake.begin(), kHandshake.begin() + 11), {0}},
         {-1, 0}},
        // A complete wrong reply gives the port up: it can never pass.
        {"non-zero serial",
         {{'v', 'r', 'p', 'i', 'b', 0, 0, 0x10, 0, 0, 0, 7}, {}},
         {PortConnector::kHandshakeRejected, PortConnector::kHandshakeRejected}},
        {"wrong prefix",
         {{'v', 'r', 'p', 'c', 'm', 'd', 0, 0x10, 0, 0, 0, 0}},
         {PortConnector::kHandshakeRejected}},
        {"nothing yet", {{}}, {-1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HandshakeProbe client;
        client.SetWaitHandshake(true);
        SocketPair pair;
        for (size_t i = 0; i < c.reads.size(); ++i) {
            if (!c.reads[i].empty()) {
                pair.Send(c.reads[i]);
            }
            EXPECT_EQ(client.Handshake(pair.fd[0]), c.results[i]) << "call " << i;
        }
    }
}

TEST(IBClientHandshakeTest, APeerThatClosedFails) {
    HandshakeProbe client;
    client.SetWaitHandshake(true);
    SocketPair pair;
    ::close(pair.fd[1]);
    pair.fd[1] = -1;
    EXPECT_EQ(client.Handshake(pair.fd[0]), -1);
}

TEST(IBClientHandshakeTest, PartOfAnAcknowledgementPrefixThenCloseEndsTheConnection) {
    // The handshake passes, then a few bytes of a prefix come and the peer
    // closes: the channel must notice the loss instead of waiting for the
    // rest for ever.
    const std::string handshake(kHandshake.begin(), kHandshake.end());
    for (size_t bytes : {1, 4, 6}) {  // of the 7-byte prefix
        SCOPED_TRACE(bytes);
        testsupport::LoopbackPeer peer;
        HandshakeProbe client;
        client.SetWaitHandshake(true);
        std::thread serve([&] {
            ASSERT_TRUE(peer.Accept());
            peer.Send(handshake);
        });
        ASSERT_EQ(client.OpenConnect("127.0.0.1", {peer.Port()}), 0) << client.GetErrorMessage();
        serve.join();
        EXPECT_EQ(client.GetState(), 0);
        ASSERT_TRUE(peer.Send(handshake.substr(0, bytes)));
        peer.CloseClient();
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (client.GetState() != 200 && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_EQ(client.GetState(), 200);
    }
}
