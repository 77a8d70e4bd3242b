// The command ports a login tries, on the real ports 389 and 3268, inside a
// network namespace that the test creates for itself (only its loopback
// interface exists there, so nothing can leave it). Without the right to
// create one the tests are skipped.
//
// When each connection was started is read from the connection itself: the
// listening sockets keep the SYN that opened each connection, and the TCP
// timestamp in it (milliseconds; the namespace turns the random offset per
// connection off) tells how far apart two connects were started, however
// late the test gets to look.
#include <gtest/gtest.h>
#include <net/if.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <optional>

#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

using facadetest::Ip;
using facadetest::SimReceiver;
using facadetest::TestClient;

constexpr const char* kReceiver = "127.0.0.2";

// Moves the calling thread (and the threads it starts) into a new network
// namespace with its loopback interface up. Done once for the process.
bool EnterPrivateNetwork() {
    static const bool entered = [] {
        if (unshare(CLONE_NEWNET) != 0) {
            return false;
        }
        const int fd = socket(AF_INET, SOCK_DGRAM, 0);
        ifreq request{};
        std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
        bool up = ioctl(fd, SIOCGIFFLAGS, &request) == 0;
        request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
        up = up && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
        close(fd);
        // TCP timestamps without a random offset per connection, so that
        // the timestamps of two SYNs compare (this namespace's setting only).
        std::ofstream("/proc/sys/net/ipv4/tcp_timestamps") << "2\n";
        int mode = 0;
        std::ifstream("/proc/sys/net/ipv4/tcp_timestamps") >> mode;
        return up && mode == 2;
    }();
    return entered;
}

// A listener that never answers the handshake and keeps the SYN of every
// connection made to it.
class SynListener {
public:
    explicit SynListener(uint16_t port) : m_fd(socket(AF_INET, SOCK_STREAM, 0)) {
        int one = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_SAVE_SYN, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = Ip(kReceiver);
        EXPECT_EQ(bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0) << port;
        EXPECT_EQ(listen(m_fd, 4), 0);
    }
    ~SynListener() {
        if (m_accepted >= 0) {
            close(m_accepted);
        }
        close(m_fd);
    }
    SynListener(const SynListener&) = delete;
    SynListener& operator=(const SynListener&) = delete;

    // True when a connection is waiting now (no waiting: every connect of a
    // login has been started before the login returns).
    bool HasConnection() {
        pollfd p{m_fd, POLLIN, 0};
        return poll(&p, 1, 0) == 1;
    }

    // The TCP timestamp of the SYN of the waiting connection.
    std::optional<uint32_t> SynTimestamp() {
        if (!HasConnection()) {
            return std::nullopt;
        }
        m_accepted = accept(m_fd, nullptr, nullptr);
        uint8_t syn[512];
        socklen_t length = sizeof syn;
        if (getsockopt(m_accepted, IPPROTO_TCP, TCP_SAVED_SYN, syn, &length) != 0 || length < 40) {
            return std::nullopt;
        }
        const size_t tcp = static_cast<size_t>(syn[0] & 0x0f) * 4;
        const size_t end = std::min<size_t>(length, tcp + (syn[tcp + 12] >> 4) * 4);
        for (size_t at = tcp + 20; at + 1 < end;) {
            const uint8_t kind = syn[at];
            if (kind == 0) {
                break;
            }
            if (kind == 1) {
                ++at;
                continue;
            }
            if (kind == 8 && at + 10 <= end) {
                return (uint32_t{syn[at + 2]} << 24) | (uint32_t{syn[at + 3]} << 16) |
                       (uint32_t{syn[at + 4]} << 8) | syn[at + 5];
            }
            at += std::max<uint8_t>(syn[at + 1], 2);
        }
        return std::nullopt;
    }

private:
    int m_fd;
    int m_accepted = -1;
};

class LoginPortsTest : public testing::Test {
protected:
    void SetUp() override {
        if (!EnterPrivateNetwork()) {
            GTEST_SKIP() << "no private network namespace available";
        }
        m_receiver = std::make_unique<SimReceiver>(
            kReceiver, 0x0130, [](receiver_sim::CommandConfig& c) { c.port = 3268; });
        ASSERT_EQ(m_receiver->sim->Port(), 3268);
    }

    std::unique_ptr<SimReceiver> m_receiver;
};

TEST_F(LoginPortsTest, PortsAreStartedInAscendingOrderThirtyMillisecondsApart) {
    SynListener ldap(389);
    SynListener announced(4000);
    TestClient client;
    ASSERT_EQ(facadetest::Discover(client, {{kReceiver, 4000}}), 0);

    ASSERT_EQ(client.Login(Ip(kReceiver), "alice", "6049"), 0) << client.GetErrorMessage();
    EXPECT_EQ(m_receiver->sim->Connections(), 1u);  // the port that answered the handshake
    const auto first = ldap.SynTimestamp();
    const auto last = announced.SynTimestamp();
    ASSERT_TRUE(first && last) << "no SYN timestamps";
    // 389 first, then 3268, then 4000: two steps of 30 ms (1 ms granularity).
    EXPECT_GE(static_cast<int32_t>(*last - *first), 59);
}

TEST_F(LoginPortsTest, NoBindingPortsAreNeverTried) {
    SynListener ldap(389);
    SynListener announced(4000);
    TestClient client;
    ASSERT_EQ(facadetest::Discover(client, {{kReceiver, 4000}}), 0);
    client.SetNoBindingPort({389});

    ASSERT_EQ(client.Login(Ip(kReceiver), "alice", "6049"), 0) << client.GetErrorMessage();
    EXPECT_FALSE(ldap.HasConnection());
    EXPECT_TRUE(announced.HasConnection());
}

TEST_F(LoginPortsTest, WithoutDiscoveryOnlyTheTwoDefaultPortsAreTried) {
    SynListener ldap(389);
    SynListener announced(4000);
    TestClient client;

    ASSERT_EQ(client.Login(Ip(kReceiver), "alice", "6049"), 0) << client.GetErrorMessage();
    EXPECT_TRUE(ldap.HasConnection());
    EXPECT_FALSE(announced.HasConnection());
}

TEST_F(LoginPortsTest, IdentificationUsesAShortConnectionUnlessLoggedInToThatReceiver) {
    TestClient client;
    DevAnnounce record;
    ASSERT_EQ(client.ConnectToDeviceThruIP(Ip(kReceiver), &record, 10), 0)
        << client.GetErrorMessage();
    EXPECT_EQ(record.GetName(), std::string("Receiver ") + kReceiver);
    EXPECT_EQ(record.GetIPv4(), Ip(kReceiver));
    EXPECT_TRUE(m_receiver->sim->WaitForNoOpenConnection());
    EXPECT_EQ(client.GetStatus(), 200);

    ASSERT_EQ(client.Login(Ip(kReceiver), "alice", "6049"), 0) << client.GetErrorMessage();
    m_receiver->sim->ClearFrames();
    DevAnnounce again;
    ASSERT_EQ(client.ConnectToDeviceThruIP(Ip(kReceiver), &again, 10), 0);
    EXPECT_EQ(m_receiver->sim->Connections(), 2u);  // the probe's and the login's
    EXPECT_EQ(m_receiver->RequestCodes(), (std::vector<uint8_t>{0x90}));
    EXPECT_EQ(client.GetStatus(), 0);

    // With both default ports excluded there is nothing to try.
    client.Logout();
    client.SetNoBindingPort({389, 3268});
    EXPECT_EQ(client.ConnectToDeviceThruIP(Ip(kReceiver), &again, 10), qkerr::kEmptyPortList);
}

}  // namespace
