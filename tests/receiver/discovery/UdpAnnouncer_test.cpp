// The simulator's discovery side answering on its own thread.
#include "tests/receiver/discovery/UdpAnnouncer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "platform/socket.h"

namespace receiver_sim {
namespace {

class AnnouncerThreadTest : public testing::Test {
protected:
    void SetUp() override {
        m_fd = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, "127.0.0.1", &local.sin_addr);
        ASSERT_EQ(bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
        // A port free on 127.0.0.2, found by letting the system pick one.
        const int probe = socket(AF_INET, SOCK_DGRAM, 0);
        inet_pton(AF_INET, "127.0.0.2", &local.sin_addr);
        ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
        socklen_t length = sizeof local;
        getsockname(probe, reinterpret_cast<sockaddr*>(&local), &length);
        close(probe);
        m_port = ntohs(local.sin_port);
    }
    void TearDown() override { close(m_fd); }

    void Send(const char* data, size_t length) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(m_port);
        inet_pton(AF_INET, "127.0.0.2", &to.sin_addr);
        ASSERT_EQ(sendto(m_fd, data, length, 0, reinterpret_cast<sockaddr*>(&to), sizeof to),
                  static_cast<ssize_t>(length));
    }

    int m_fd = -1;
    uint16_t m_port = 0;
};

TEST_F(AnnouncerThreadTest, AnswersQueriesOnlyWithTheConfiguredReply) {
    ReceiverAnnouncement info;
    info.ipv4 = "127.0.0.2";
    info.name = "Threaded";
    info.commandPort = 0x1234;
    AnnouncerConfig config;
    config.bindAddress = "127.0.0.2";
    config.ports = {m_port};
    config.record = info.Encode();
    config.reply = AnnounceReply::kLongRecord;
    UdpAnnouncer announcer(config);
    ASSERT_EQ(announcer.Start(), 0);

    Send("VRPX", 4);  // not a query: no answer
    Send("VRPS", 4);
    ASSERT_EQ(platform::PollReadable(m_fd, 10000), 1);
    uint8_t reply[200] = {};
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t n =
        recvfrom(m_fd, reply, sizeof reply, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    announcer.Stop();

    ASSERT_EQ(n, 129);
    EXPECT_EQ(ntohs(from.sin_port), m_port);
    EXPECT_EQ(std::memcmp(reply, "QKPP", 4), 0);
    EXPECT_EQ(reply[8], 0x12);  // big-endian on the wire
    EXPECT_EQ(reply[9], 0x34);
    EXPECT_EQ(std::memcmp(reply + 16, "Threaded", 9), 0);
    EXPECT_EQ(reply[118], 6);
    ASSERT_EQ(announcer.Queries().size(), 1u);
    EXPECT_EQ(announcer.Queries()[0].localPort, m_port);
    EXPECT_EQ(platform::PollReadable(m_fd, 0), 0);  // the other datagram went unanswered
}

}  // namespace
}  // namespace receiver_sim
