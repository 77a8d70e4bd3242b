#include "vrxclientsdk/VRXClient/media/k7rm/MmshServer.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/LoopbackPeer.h"
#include "vrxclientsdk/VRXClient/media/k7rm/MmshChunk.h"

namespace {

const std::string kHeader = "ASF-HEADER-BYTES";

// A player's side: one connection to the server on 127.0.0.1.
class Player {
public:
    explicit Player(uint16_t port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sa.sin_port = htons(port);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
    }
    ~Player() { ::close(m_fd); }
    bool Connected() const { return m_connected; }
    void Send(const std::string& bytes) {
        ASSERT_EQ(::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }
    // Everything that arrives until `server` has had `rounds` polls.
    std::string Read(MmshServer& server, int rounds, bool* closed) {
        std::string got;
        *closed = false;
        for (int i = 0; i < rounds; ++i) {
            std::vector<pollfd> fds;
            server.AppendPollFds(fds);
            ::poll(fds.data(), fds.size(), 10);
            server.OnPoll(fds, 0);
            char buffer[4096];
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n == 0) {
                *closed = true;
                break;
            }
            if (n > 0) {
                got.append(buffer, static_cast<size_t>(n));
            }
        }
        return got;
    }

private:
    int m_fd = -1;
    bool m_connected = false;
};

std::string Chunk(uint16_t type, uint32_t sequence, uint16_t flags, const std::string& payload) {
    std::string out;
    AppendMmshChunk(out, type, sequence, flags, payload);
    return out;
}

class MmshServerTest : public ::testing::Test {
protected:
    // Port 0: the server takes a free port and says which.
    void SetUp() override {
        ASSERT_TRUE(m_server.Listen("127.0.0.1", 0));
        m_port = m_server.Port();
        ASSERT_NE(m_port, 0);
    }

    MmshServer m_server{kHeader};
    uint16_t m_port = 0;
};

TEST_F(MmshServerTest, DescribesThenPlays) {
    Player describe(m_port);
    ASSERT_TRUE(describe.Connected());
    describe.Send("GET / HTTP/1.1\r\nPragma: no-cache,rate=1.000000\r\n\r\n");
    bool closed = false;
    std::string reply = describe.Read(m_server, 50, &closed);
    EXPECT_TRUE(closed) << "a description ends with the header";
    ASSERT_EQ(reply.compare(0, 15, "HTTP/1.0 200 OK"), 0) << reply;
    const std::string headerChunk = Chunk(kMmshHeaderChunk, 0, kMmshHeaderFlags, kHeader);
    EXPECT_EQ(reply.substr(reply.find("\r\n\r\n") + 4), headerChunk);

    Player play(m_port);
    play.Send("GET / HTTP/1.1\r\nPragma: xPlayStrm=1\r\n\r\n");
    reply = play.Read(m_server, 20, &closed);
    EXPECT_FALSE(closed);
    EXPECT_EQ(reply.substr(reply.find("\r\n\r\n") + 4), headerChunk);
    m_server.Broadcast("packet-1");
    m_server.Broadcast("packet-2");
    reply = play.Read(m_server, 20, &closed);
    EXPECT_EQ(reply,
              Chunk(kMmshDataChunk, 0, 0, "packet-1") + Chunk(kMmshDataChunk, 1, 0, "packet-2"));
}

TEST_F(MmshServerTest, RejectsWhatIsNoPlayerRequest) {
    struct Case {
        const char* name;
        std::string request;
        std::string replyStart;
    } cases[] = {
        {"not a GET", "POST / HTTP/1.1\r\n\r\n", "HTTP/1.0 405"},
        {"endless request head", std::string(9000, 'x'), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Player player(m_port);
        player.Send(c.request);
        bool closed = false;
        const std::string reply = player.Read(m_server, 100, &closed);
        EXPECT_TRUE(closed);
        EXPECT_EQ(reply.substr(0, c.replyStart.size()), c.replyStart);
        EXPECT_EQ(reply.find("$H"), std::string::npos);
    }
    EXPECT_EQ(m_server.ClientCount(), 0u);
}

TEST_F(MmshServerTest, BoundsRequestsConnectionsPlayersAndQueues) {
    MmshServer::Limits limits;
    limits.requestMs = 300;
    limits.maxConnections = 5;
    limits.maxPlayers = 2;
    limits.maxTotalQueuedBytes = 1 << 20;
    m_server.SetLimits(limits);
    bool closed = false;
    {
        // A connection that never asks is closed after the request deadline.
        Player silent(m_port);
        silent.Read(m_server, 1000, &closed);
        EXPECT_TRUE(closed);
    }
    std::vector<std::unique_ptr<Player>> players;
    for (int i = 0; i < 2; ++i) {
        players.push_back(std::make_unique<Player>(m_port));
        players.back()->Send("GET / HTTP/1.1\r\nPragma: xPlayStrm=1\r\n\r\n");
        players.back()->Read(m_server, 20, &closed);
        EXPECT_FALSE(closed);
    }
    Player third(m_port);
    third.Send("GET / HTTP/1.1\r\nPragma: xPlayStrm=1\r\n\r\n");
    const std::string reply = third.Read(m_server, 50, &closed);
    EXPECT_TRUE(closed);
    EXPECT_EQ(reply.compare(0, 12, "HTTP/1.0 503"), 0) << reply;

    // More connections than allowed: the extra ones are closed at once.
    std::vector<std::unique_ptr<Player>> crowd;
    for (int i = 0; i < 6; ++i) {
        crowd.push_back(std::make_unique<Player>(m_port));
    }
    crowd.back()->Read(m_server, 20, &closed);
    EXPECT_LE(m_server.ClientCount(), limits.maxConnections);
    crowd.clear();

    // Players that never read: the queues together stay within the limit.
    const std::string packet(64 * 1024, 'p');
    for (int i = 0; i < 40; ++i) {
        m_server.Broadcast(packet);
        EXPECT_LE(m_server.QueuedBytes(), limits.maxTotalQueuedBytes);
    }
}

TEST_F(MmshServerTest, ListensOnAFreePortRefusesATakenOneAndServesOnceItHasTheHeader) {
    MmshServer second{kHeader};
    EXPECT_FALSE(second.Listen("127.0.0.1", m_port));
    EXPECT_FALSE(second.Listen("not an address", testsupport::LoopbackPeer::ClosedPort()));

    // The helper listens before its encoder has the header: a player that
    // connects meanwhile waits, and is served once the header is there.
    MmshServer early;
    ASSERT_TRUE(early.Listen("127.0.0.1", 0));
    EXPECT_NE(early.Port(), m_port);
    Player player(early.Port());
    ASSERT_TRUE(player.Connected());
    player.Send("GET / HTTP/1.1\r\n\r\n");
    bool closed = false;
    EXPECT_EQ(player.Read(early, 5, &closed), "");
    EXPECT_EQ(early.ClientCount(), 0u);
    early.SetHeader(kHeader);
    const std::string reply = player.Read(early, 50, &closed);
    EXPECT_TRUE(closed);
    EXPECT_EQ(reply.substr(reply.find("\r\n\r\n") + 4),
              Chunk(kMmshHeaderChunk, 0, kMmshHeaderFlags, kHeader));
}

}  // namespace
