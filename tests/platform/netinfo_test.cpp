// What the settings pages ask of the network: the access points from
// nmcli's terse listing (the file below is in nmcli's terse format; this
// machine has no Wi-Fi), the adapters' gateway and DHCP server, and ICMP
// echo on loopback.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include <fstream>

#include "platform/icmp_pinger.h"
#include "platform/network_adapters.h"
#include "platform/nm_wifi_join.h"
#include "platform/nm_wifi_provider.h"
#include "tests/receiver/icmp/EchoResponder.h"
#include "tests/support/TempDir.h"

namespace platform {
namespace {

const std::string kListing = PEMU_NETINFO_DATA "/nmcli_wifi_list.txt";

// A stand-in for nmcli: a shell script with `body`.
std::string Script(const testsupport::TempDir& dir, const std::string& body) {
    const std::string path = dir.File("nmcli");
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    ::chmod(path.c_str(), 0700);
    return path;
}

TEST(NmcliParseTest, TerseFieldsWithEscapes) {
    EXPECT_EQ(SplitNmcliTerse("a\\:b:c\\\\d::"), (std::vector<std::string>{"a:b", "c\\d", "", ""}));
    EXPECT_EQ(SplitNmcliTerse(""), (std::vector<std::string>{""}));
    EXPECT_EQ(SplitNmcliTerse("trailing\\"), (std::vector<std::string>{"trailing\\"}));
    const std::map<std::string, int> auth = {
        {"", kWifiAuthOpen},     {"--", kWifiAuthOpen},         {"WEP", kWifiAuthWep},
        {"WPA1", kWifiAuthWpa},  {"WPA2", kWifiAuthWpa2},       {"WPA1 WPA2", kWifiAuthWpa2},
        {"WPA3", kWifiAuthWpa2}, {"WPA2 802.1X", kWifiAuthWpa2}};
    for (const auto& [security, want] : auth) {
        EXPECT_EQ(AuthenticationOfSecurity(security), want) << security;
    }
}

TEST(NmcliParseTest, ListingGivesSsidBssidSignalAuthChannelCipher) {
    std::ifstream in(kListing);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::vector<NmAccessPoint> aps = ParseNmcliWifiList(text);
    struct Want {
        const char* ssid;
        const char* bssid;
        int signal, auth, channel;
        const char* cipher;
    } want[] = {
        {"Office:5G", "AA:BB:CC:DD:EE:01", 82, 6, 36, "CCMP"},
        {"Guest", "AA:BB:CC:DD:EE:02", 40, 1, 6, ""},
        {"back\\slash", "AA:BB:CC:DD:EE:03", 20, 6, 11, "CCMP"},
        {"", "AA:BB:CC:DD:EE:04", 55, 3, 1, "TKIP"},
        {"OldCam", "AA:BB:CC:DD:EE:05", 100, 0, 3, "WEP"},
        {"Lab", "AA:BB:CC:DD:EE:06", 71, 6, 149, "CCMP"},
        // signal 101 and the short line are skipped
        {"Ü-Net", "AA:BB:CC:DD:EE:08", 9, 6, 13, "CCMP"},
    };
    ASSERT_EQ(aps.size(), std::size(want));
    for (size_t i = 0; i < aps.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(aps[i].point.ssid, want[i].ssid);
        EXPECT_EQ(aps[i].point.bssid, want[i].bssid);
        EXPECT_EQ(aps[i].point.signal, want[i].signal);
        EXPECT_EQ(aps[i].point.authentication, want[i].auth);
        EXPECT_EQ(aps[i].channel, want[i].channel);
        EXPECT_EQ(aps[i].cipher, want[i].cipher);
    }
}

TEST(NmWifiProviderTest, ListsThroughTheProgramAndGivesNoListWhenItFails) {
    testsupport::TempDir dir;
    std::vector<WifiAccessPoint> out = {WifiAccessPoint{"stale", "", 1, 1}};
    {
        NmWifiProvider nm(Script(dir,
                                 "[ \"$1 $2 $3\" = \"-t -f SSID,BSSID,SIGNAL,SECURITY,CHAN,"
                                 "WPA-FLAGS,RSN-FLAGS\" ] || exit 3\ncat '" +
                                     kListing + "'"));
        ASSERT_TRUE(nm.ListAccessPoints(out));
        ASSERT_EQ(out.size(), 7u);
        EXPECT_EQ(out[0].ssid, "Office:5G");
        EXPECT_EQ(nm.LastListing()[5].channel, 149);
    }
    struct Row {
        const char* what;
        std::string body;
    } rows[] = {
        {"fails", "echo 'x:AA:1:WPA2:1::' ; exit 1"},
        {"hangs past its time", "cat '" + kListing + "'; exec sleep 30"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        NmWifiProvider nm(Script(dir, row.body), 300);
        EXPECT_FALSE(nm.ListAccessPoints(out));
        EXPECT_TRUE(out.empty());
        EXPECT_TRUE(nm.LastListing().empty());
    }
    NmWifiProvider missing(dir.File("no-such-program"));
    EXPECT_FALSE(missing.ListAccessPoints(out));

    NmWifiProvider keys(Script(dir, "[ \"$7\" = 'Home Net' ] && printf 'sec\\\\:ret\\n\\n'"));
    EXPECT_EQ(keys.StoredKey("Home Net"), "sec:ret");
    EXPECT_EQ(keys.StoredKey("Other"), "");
}

TEST(NetworkAdaptersTest, GatewaysAndDhcpServersFromTheirSources) {
    const char* routes =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\n"
        "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\n"
        "eth0\t0001A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\n"
        "wlan0\t00000000\t00000000\t0001\t0\t0\t600\t00000000\n"
        "eth1\t00000000\t010010AC\t0002\t0\t0\t100\t00000000\n"
        "eth2\t00000000\tzz\t0003\t0\t0\t100\t00000000\n"
        "eth0\t00000000\t0201A8C0\t0003\t0\t0\t200\t00000000\n";
    const auto gw = ParseDefaultGateways(routes);
    EXPECT_EQ(gw, (std::map<std::string, std::string>{{"eth0", "192.168.1.1"}}));

    EXPECT_EQ(ParseNmcliDhcpServer("DHCP4.OPTION[1]:broadcast_address = 192.168.1.255\n"
                                   "DHCP4.OPTION[5]:dhcp_server_identifier = 192.168.1.2\n"),
              "192.168.1.2");
    EXPECT_EQ(ParseNmcliDhcpServer("DHCP4.OPTION[5]:dhcp_server_identifier = 999.1.1.1\n"), "");
    EXPECT_EQ(ParseNmcliDhcpServer(""), "");
    EXPECT_EQ(ParseNetworkdLeaseServer("# x\nADDRESS=10.0.0.5\nSERVER_ADDRESS=10.0.0.1\n"),
              "10.0.0.1");
    EXPECT_EQ(ParseNetworkdLeaseServer("ADDRESS=10.0.0.5\n"), "");
}

TEST(IcmpTest, ChecksumFoldsEveryCarryAndRequestsCheckToZero) {
    // Words summing past 0x1FFFF need two folds: 0xFFFF * 3 = 0x2FFFD.
    const uint8_t three[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(InternetChecksum(three, sizeof three), 0x0000);
    const uint8_t odd[] = {0x01, 0x02, 0x03};
    EXPECT_EQ(InternetChecksum(odd, sizeof odd), static_cast<uint16_t>(~(0x0102 + 0x0300)));
    for (uint16_t seq = 0; seq < 4; ++seq) {
        const auto r = BuildEchoRequest(0xBEEF, seq, 0xFFFFFFFF);
        EXPECT_EQ(r[0], 8);
        EXPECT_EQ(r[4], 0xBE);
        EXPECT_EQ(r[7], seq);
        EXPECT_EQ(InternetChecksum(r.data(), r.size()), 0) << seq;
    }
}

TEST(IcmpTest, OnlyTheEchoReplyWithOurIdentifierAndSequenceMatches) {
    auto reply = [](uint8_t type, uint16_t id, uint16_t seq) {
        std::vector<uint8_t> b = {
            type, 0, 0, 0, uint8_t(id >> 8), uint8_t(id), uint8_t(seq >> 8), uint8_t(seq)};
        return b;
    };
    auto withIp = [](std::vector<uint8_t> icmp, uint8_t protocol = 1, uint8_t ihl = 5) {
        std::vector<uint8_t> b(ihl * 4u, 0);
        b[0] = static_cast<uint8_t>(0x40 | ihl);
        b[9] = protocol;
        b.insert(b.end(), icmp.begin(), icmp.end());
        return b;
    };
    struct Row {
        const char* what;
        std::vector<uint8_t> bytes;
        bool ip;
        bool want;
    } rows[] = {
        {"ours", reply(0, 7, 2), false, true},
        {"ours behind an IP header", withIp(reply(0, 7, 2)), true, true},
        {"ours behind IP options", withIp(reply(0, 7, 2), 1, 6), true, true},
        {"our own request", reply(8, 7, 2), false, false},
        {"other identifier", reply(0, 8, 2), false, false},
        {"other sequence", reply(0, 7, 1), false, false},
        {"short", std::vector<uint8_t>(7, 0), false, false},
        {"not ICMP", withIp(reply(0, 7, 2), 17), true, false},
        {"header longer than the datagram",
         [&] {
             auto b = withIp(reply(0, 7, 2));
             b[0] = 0x4F;  // 60 bytes of header in a 28-byte datagram
             return b;
         }(),
         true, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IsEchoReplyTo(row.bytes.data(), row.bytes.size(), row.ip, 7, 2), row.want)
            << row.what;
    }
}

TEST(IcmpTest, LoopbackAnswersWithoutRealPauses) {
    int pauses = 0;
    IcmpPinger::Options options;
    options.sleep = [&pauses](uint32_t ms) {
        EXPECT_EQ(ms, 1000u);
        ++pauses;
    };
    IcmpPinger pinger(options);
    const int result = pinger.PingAddress("127.0.0.1");
    if (result == kPingNoSocket) {
        GTEST_SKIP() << "no ICMP socket allowed here";
    }
    EXPECT_EQ(result, kPingAnswered);
    EXPECT_EQ(pauses, 4);
    EXPECT_EQ(pinger.PingAddress("not an address"), kPingNoAnswer);
}

// In a child: the simulated receiver's echo responder in a network
// namespace of its own (kernel echo off); the pinger's result for each
// responder mode, written to `out` (or 77: the namespace cannot be had here).
[[noreturn]] void PingInANamespace(int out) {
    const int raw = receiver_sim::EnterEchoNamespace();
    if (raw < 0) {
        ::_exit(77);
    }
    int8_t results[3];
    int index = 0;
    for (receiver_sim::EchoMode mode :
         {receiver_sim::EchoMode::kStraysThenReply, receiver_sim::EchoMode::kWrongIdOnly,
          receiver_sim::EchoMode::kSilent}) {
        receiver_sim::EchoResponder responder(raw, mode);
        IcmpPinger::Options options;
        options.replyTimeoutMs = 300;
        options.sleep = [](uint32_t) {};
        results[index++] = static_cast<int8_t>(IcmpPinger(options).PingAddress("127.0.0.1"));
    }
    const bool written = ::write(out, results, sizeof results) == sizeof results;
    ::_exit(written ? 0 : 1);
}

TEST(IcmpTest, OnlyOurReplyFromTheTargetCountsAgainstAResponder) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(fds[0]);
        PingInANamespace(fds[1]);
    }
    ::close(fds[1]);
    int8_t results[3] = {-9, -9, -9};
    const ssize_t n = ::read(fds[0], results, sizeof results);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "no network namespace with raw sockets here";
    }
    ASSERT_EQ(n, 3);
    EXPECT_EQ(results[0], kPingAnswered) << "strays, then our reply";
    EXPECT_EQ(results[1], kPingNoAnswer) << "only replies with another identifier";
    EXPECT_EQ(results[2], kPingNoAnswer) << "silence";
}

}  // namespace
}  // namespace platform
