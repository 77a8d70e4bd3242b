// Receiver discovery against the simulator's announcer on loopback.
//
// The sender binds 127.0.0.1, the simulated receivers 127.0.0.2 and
// 127.0.0.3, and 127.0.0.2 stands for the limited broadcast address, so no
// datagram leaves 127.0.0.0/8; TearDown checks every target the sender chose.
// Time is a fake clock that the sender's idle step advances by 30 ms after
// the announcers have answered, so every run is deterministic and instant.
#include "vrxclientsdk/VRPClient/DeviceDiscovery.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake_clock.h"
#include "tests/receiver/discovery/UdpAnnouncer.h"
#include "vrxclientsdk/VRPClient/DiscoveryNetwork.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

using receiver_sim::AnnounceQuery;
using receiver_sim::AnnouncerConfig;
using receiver_sim::AnnounceReply;
using receiver_sim::ReceiverAnnouncement;
using receiver_sim::UdpAnnouncer;

in_addr Addr(const char* dotted) {
    in_addr a{};
    inet_pton(AF_INET, dotted, &a);
    return a;
}

// A UDP socket bound to address:port, or fd -1 when the port is taken.
struct BoundSocket {
    BoundSocket(const char* address, uint16_t port) : fd(socket(AF_INET, SOCK_DGRAM, 0)) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr = Addr(address);
        if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            close(fd);
            fd = -1;
        }
    }
    ~BoundSocket() {
        if (fd >= 0) {
            close(fd);
        }
    }
    BoundSocket(const BoundSocket&) = delete;
    BoundSocket& operator=(const BoundSocket&) = delete;
    int fd;
};

// First of three consecutive ports free on 127.0.0.1 to 127.0.0.3, starting
// from a point that differs between test processes running side by side.
uint16_t FindFreePortRange() {
    const char* addresses[] = {"127.0.0.1", "127.0.0.2", "127.0.0.3"};
    for (int attempt = 0; attempt < 500; ++attempt) {
        const auto base = static_cast<uint16_t>(20000 + (getpid() * 31 + attempt * 7) % 40000);
        bool free = true;
        for (const char* address : addresses) {
            for (int i = 0; i < 3 && free; ++i) {
                free = BoundSocket(address, static_cast<uint16_t>(base + i)).fd >= 0;
            }
        }
        if (free) {
            return base;
        }
    }
    return 0;
}

class DeviceDiscoveryTest : public testing::Test {
protected:
    void SetUp() override {
        m_base = FindFreePortRange();
        ASSERT_NE(m_base, 0) << "no free port range on loopback";
        m_logPath = testing::TempDir() + "discovery_" + std::to_string(getpid()) + ".log";
        ResetLog();
        m_owner.SetLogger(&m_log);
        m_network.bindAddress = Addr("127.0.0.1");
        m_network.limitedBroadcast = Addr("127.0.0.2");
        m_network.getAdapters = [this](std::vector<platform::AdapterAddress>* out) {
            *out = m_adapters;
            return m_adaptersListed;
        };
        m_network.idleWait = [this] {
            for (auto& announcer : m_announcers) {
                announcer->ServeOnce();
            }
            ++m_idleSteps;
            if (m_onIdle) {
                m_onIdle(m_idleSteps);
            }
            m_clock.Advance(30);
        };
    }

    void TearDown() override {
        // Every destination the sender chose lies on loopback, and every send
        // went out: no datagram can have left 127.0.0.0/8.
        for (const std::string& line : LogLines("candidate broadcast subnet: ")) {
            const std::string target = line.substr(line.find(": ") + 2);
            EXPECT_EQ(target.rfind("127.", 0), 0u) << line;
        }
        EXPECT_TRUE(LogLines("sendto failed").empty());
        std::remove(m_logPath.c_str());
    }

    void ResetLog() { ASSERT_EQ(m_log.Open(m_logPath.c_str(), LOG_DEBUG, false), 0); }

    void SetSubnet(const char* address, const char* mask) {
        m_adapters = {platform::AdapterAddress{Addr(address), Addr(mask)}};
    }

    UdpAnnouncer& AddAnnouncer(const char* address, AnnounceReply reply = AnnounceReply::kRecord,
                               std::vector<uint16_t> ports = {}) {
        ReceiverAnnouncement info;
        info.ipv4 = address;
        info.name = std::string("Receiver ") + address;
        info.commandPort = 4000;
        info.imagePort = 4001;
        info.videoPort = 4002;
        AnnouncerConfig config;
        config.bindAddress = address;
        config.ports = ports.empty() ? std::vector<uint16_t>{m_base} : ports;
        config.record = info.Encode();
        config.reply = reply;
        m_announcers.push_back(std::make_unique<UdpAnnouncer>(config));
        EXPECT_EQ(m_announcers.back()->Open(), 0);
        return *m_announcers.back();
    }

    int Discover(std::vector<DevAnnounce>& out, int timeoutSeconds, bool firstOnly = false,
                 const std::atomic<bool>* cancel = nullptr) {
        DeviceDiscovery discovery(m_owner);
        return discovery.DeviceDiscover(out, cancel, firstOnly, m_base,
                                        static_cast<uint16_t>(m_base + 2), timeoutSeconds);
    }

    // Messages of the log lines that contain `fragment`, without the source suffix.
    std::vector<std::string> LogLines(const std::string& fragment) const {
        std::ifstream in(m_logPath);
        std::vector<std::string> found;
        for (std::string line; std::getline(in, line);) {
            const size_t at = line.find(fragment);
            if (at == std::string::npos) {
                continue;
            }
            const size_t message = line.find("| ");
            const size_t suffix = line.rfind(" [");
            found.push_back(line.substr(message + 2, suffix - message - 2));
        }
        return found;
    }

    std::string P(int i) const { return std::to_string(m_base + i); }

    platform::FakeClock m_clock;
    platform::ScopedClockOverride m_clockOverride{m_clock};
    DiscoveryNetwork m_network;
    ScopedDiscoveryNetworkOverride m_networkOverride{m_network};
    std::vector<platform::AdapterAddress> m_adapters;
    bool m_adaptersListed = true;
    std::vector<std::unique_ptr<UdpAnnouncer>> m_announcers;
    int m_idleSteps = 0;
    std::function<void(int)> m_onIdle;
    uint16_t m_base = 0;
    std::string m_logPath;
    Logger m_log;
    QKErrorHandler m_owner;
};

TEST_F(DeviceDiscoveryTest, AcceptsEachReceiverOnceInArrivalOrder) {
    SetSubnet("127.0.0.1", "255.255.255.252");  // directed broadcast 127.0.0.3
    AddAnnouncer("127.0.0.2");
    AddAnnouncer("127.0.0.3");
    std::vector<DevAnnounce> found(1);  // emptied by the run

    ASSERT_EQ(Discover(found, 5), 0);
    EXPECT_EQ(m_owner.GetErrorCode(), 0);
    ASSERT_EQ(found.size(), 2u);
    const char* expected[] = {"127.0.0.2", "127.0.0.3"};
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(expected[i]);
        EXPECT_EQ(found[i].GetIPv4(), Addr(expected[i]).s_addr);
        EXPECT_EQ(found[i].GetName(), std::string("Receiver ") + expected[i]);
        EXPECT_EQ(found[i].GetCommandPort(), 4000);  // converted to host order
        EXPECT_EQ(found[i].GetImagePort(), 4001);
        EXPECT_EQ(found[i].GetVideoPort(), 4002);
        EXPECT_EQ(LogLines(std::string("got new IP ") + expected[i]).size(), 1u);
        // Every later burst is answered again and logged as a repeat.
        EXPECT_FALSE(LogLines(std::string("got duplicate IP ") + expected[i]).empty());
    }
    EXPECT_EQ(LogLines("candidate broadcast subnet: ").size(), 2u);
}

TEST_F(DeviceDiscoveryTest, FaultyRepliesAreLoggedAndSkipped) {
    struct Row {
        AnnounceReply reply;
        const char* logged;
    };
    const Row rows[] = {
        {AnnounceReply::kShortRecord, "header mismatch 127 0x51 0x4b 0x50 0x50 "},
        {AnnounceReply::kLongRecord, "header mismatch 129 0x51 0x4b 0x50 0x50 "},
        {AnnounceReply::kWrongMagic, "header mismatch 128 0x51 0x4b 0x50 0x53 "},
    };
    SetSubnet("127.0.0.1", "255.255.255.252");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.logged);
        m_announcers.clear();
        ResetLog();
        AddAnnouncer("127.0.0.2", row.reply);
        std::vector<DevAnnounce> found;
        EXPECT_EQ(Discover(found, 1), 0);
        EXPECT_TRUE(found.empty());
        const auto lines = LogLines(row.logged);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], std::string("DeviceDiscover ") + row.logged + P(0));
    }
}

TEST_F(DeviceDiscoveryTest, DropsRepliesFromOutsideEveryLocalSubnetAndIgnoresOwnQuery) {
    // Subnet 127.0.0.0/31 broadcasts to 127.0.0.1, the sender's own address:
    // the sender hears its own query. 127.0.0.2 answers the limited broadcast
    // but lies outside that subnet.
    SetSubnet("127.0.0.0", "255.255.255.254");
    AddAnnouncer("127.0.0.2");
    std::vector<DevAnnounce> found;

    ASSERT_EQ(Discover(found, 1), 0);
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(LogLines("candidate broadcast subnet: 127.0.0.1").size(), 1u);
    EXPECT_FALSE(LogLines("DeviceDiscover got out of subnet IP: 127.0.0.2").empty());
    EXPECT_TRUE(LogLines("header mismatch").empty());
    EXPECT_TRUE(LogLines("recvfrom failed").empty());
}

TEST_F(DeviceDiscoveryTest, WithoutSubnetMasksAcceptsAnySource) {
    struct Row {
        const char* name;
        std::vector<platform::AdapterAddress> adapters;
        bool listed;
    };
    const Row rows[] = {
        {"no adapter address", {}, true},
        {"adapter list unreadable", {{Addr("127.0.0.1"), Addr("255.255.255.252")}}, false},
    };
    AddAnnouncer("127.0.0.3");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ResetLog();
        m_adapters = row.adapters;
        m_adaptersListed = row.listed;
        // The limited broadcast stand-in, here the receiver's own address,
        // is the only target.
        m_network.limitedBroadcast = Addr("127.0.0.3");
        IPv4Set targets, masks;
        BuildBroadcastTargets(targets, masks);
        EXPECT_TRUE(masks.empty());

        std::vector<DevAnnounce> found;
        ASSERT_EQ(Discover(found, 1), 0);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].GetIPv4(), Addr("127.0.0.3").s_addr);
    }
}

TEST_F(DeviceDiscoveryTest, BuildsDirectedBroadcastPerAdapterInAscendingOrder) {
    m_adapters = {{Addr("127.0.0.1"), Addr("255.255.255.252")},
                  {Addr("127.0.1.9"), Addr("255.255.255.0")},
                  {Addr("127.0.0.2"), Addr("255.255.255.252")}};
    IPv4Set targets, masks;
    BuildBroadcastTargets(targets, masks);
    std::vector<uint32_t> expected = {Addr("127.0.0.2").s_addr, Addr("127.0.0.3").s_addr,
                                      Addr("127.0.1.255").s_addr};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(std::vector<uint32_t>(targets.begin(), targets.end()), expected);
    EXPECT_EQ(masks, (IPv4Set{Addr("255.255.255.252").s_addr, Addr("255.255.255.0").s_addr}));
}

TEST_F(DeviceDiscoveryTest, FirstOnlyReturnsAtFirstAcceptedRecord) {
    SetSubnet("127.0.0.1", "255.255.255.252");
    AddAnnouncer("127.0.0.2");
    AddAnnouncer("127.0.0.3");
    const uint64_t start = m_clock.NowMs();
    std::vector<DevAnnounce> found;

    ASSERT_EQ(Discover(found, 5, /*firstOnly=*/true), 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].GetIPv4(), Addr("127.0.0.2").s_addr);
    EXPECT_EQ(m_clock.NowMs() - start, 30u);  // one idle step, then the answer
    EXPECT_EQ(m_announcers[0]->Queries().size(), 1u);
}

TEST_F(DeviceDiscoveryTest, CancelEndsTheRunWithinOnePass) {
    SetSubnet("127.0.0.1", "255.255.255.252");
    AddAnnouncer("127.0.0.2");
    std::atomic<bool> cancel{false};

    // Set before the run: nothing is sent and the output is emptied.
    cancel = true;
    std::vector<DevAnnounce> found(3);
    EXPECT_EQ(Discover(found, 5, false, &cancel), 0);
    EXPECT_TRUE(found.empty());
    EXPECT_TRUE(m_announcers[0]->Queries().empty());

    // Set during the second idle step: the record read before it is kept.
    cancel = false;
    m_onIdle = [&](int step) {
        if (step == 2) {
            cancel = true;
        }
    };
    EXPECT_EQ(Discover(found, 5, false, &cancel), 0);
    EXPECT_EQ(m_owner.GetErrorCode(), 0);
    EXPECT_EQ(found.size(), 1u);
    EXPECT_EQ(m_idleSteps, 2);
    EXPECT_EQ(m_announcers[0]->Queries().size(), 1u);
}

TEST_F(DeviceDiscoveryTest, FailsWhenNoPortOfTheRangeCanBeBound) {
    // The product's range, held here (or by another program on this address).
    BoundSocket held[] = {{"127.0.0.1", 1047}, {"127.0.0.1", 1048}, {"127.0.0.1", 1049}};
    (void)held;
    std::vector<DevAnnounce> found;
    DeviceDiscovery discovery(m_owner);

    EXPECT_EQ(discovery.DeviceDiscover(found, nullptr, false, 1047, 1049, 5),
              qkerr::kBroadcastSocket);
    EXPECT_EQ(m_owner.GetErrorCode(), -6528104);
    EXPECT_NE(m_owner.GetErrorMessage().find(
                  "Can't init any UDP broadcast socket between this port range: [1047, 1049]"),
              std::string::npos)
        << m_owner.GetErrorMessage();
    EXPECT_EQ(LogLines("bind port# ").size(), 3u);
    EXPECT_TRUE(LogLines("candidate broadcast subnet").empty());  // nothing was sent
}

TEST_F(DeviceDiscoveryTest, FreePortsSendBurstsInTurnEvery510Ms) {
    struct Row {
        const char* name;
        int takenPort;  // offset into the range, or -1
        std::vector<int> cycle;
    };
    const Row rows[] = {
        {"all three ports free", -1, {0, 1, 2}},
        {"middle port taken", 1, {0, 2}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_announcers.clear();
        ResetLog();
        std::unique_ptr<BoundSocket> taken;
        if (row.takenPort >= 0) {
            taken = std::make_unique<BoundSocket>("127.0.0.1", m_base + row.takenPort);
            ASSERT_GE(taken->fd, 0);
        }
        // One receiver listening on all three ports; no local subnet.
        m_adapters.clear();
        UdpAnnouncer& receiver = AddAnnouncer(
            "127.0.0.2", AnnounceReply::kRecord,
            {m_base, static_cast<uint16_t>(m_base + 1), static_cast<uint16_t>(m_base + 2)});
        std::vector<DevAnnounce> found;
        ASSERT_EQ(Discover(found, 5), 0);
        EXPECT_EQ(found.size(), 1u);

        // Bursts at 0, 510, ..., 4590 ms of a 5000 ms run: ten of them.
        const std::vector<AnnounceQuery> queries = receiver.Queries();
        ASSERT_EQ(queries.size(), 10u);
        for (size_t i = 0; i < queries.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "burst " << i);
            const uint16_t port = m_base + row.cycle[i % row.cycle.size()];
            EXPECT_EQ(queries[i].sourcePort, port);
            EXPECT_EQ(queries[i].localPort, port);  // sent to its own port number
            EXPECT_EQ(queries[i].source.s_addr, Addr("127.0.0.1").s_addr);
            if (i > 0) {
                EXPECT_EQ(queries[i].answeredAtMs - queries[i - 1].answeredAtMs, 510u);
            }
        }
        EXPECT_EQ(LogLines("bind port# ").size(), row.takenPort >= 0 ? 1u : 0u);
    }
}

}  // namespace
