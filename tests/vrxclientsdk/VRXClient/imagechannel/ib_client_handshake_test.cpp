#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

#include "vrxclientsdk/VRXClient/imagechannel/IBClient.h"

#include "vrxclientsdk/VRXClient/imagechannel/EncoderModuleSource.h"

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
        {"non-zero serial", {{'v', 'r', 'p', 'i', 'b', 0, 0, 0x10, 0, 0, 0, 7}}, {-1}},
        {"wrong prefix", {{'v', 'r', 'p', 'c', 'm', 'd', 0, 0x10, 0, 0, 0, 0}}, {-1}},
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
