#include "tests/receiver/icmp/EchoResponder.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

namespace receiver_sim {
namespace {

constexpr size_t kIpHeader = 20;  // what a raw socket hands over first
constexpr uint8_t kEchoRequest = 8;
constexpr uint8_t kEchoReply = 0;
constexpr uint8_t kUnreachable = 3;

bool LoopbackUp() {
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (s < 0) {
        return false;
    }
    ifreq lo{};
    std::strncpy(lo.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ::ioctl(s, SIOCGIFFLAGS, &lo) == 0;
    if (up) {
        lo.ifr_flags = static_cast<short>(lo.ifr_flags | IFF_UP);
        up = ::ioctl(s, SIOCSIFFLAGS, &lo) == 0;
    }
    ::close(s);
    return up;
}

}  // namespace

int EnterEchoNamespace() {
    if (::unshare(CLONE_NEWNET) != 0 || !LoopbackUp()) {
        return -1;
    }
    {
        std::ofstream ignore("/proc/sys/net/ipv4/icmp_echo_ignore_all");
        ignore << "1\n";
        if (!ignore.flush()) {
            return -1;
        }
    }
    return ::socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
}

uint16_t EchoChecksum(const uint8_t* bytes, size_t length) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < length; i += 2) {
        sum += static_cast<uint32_t>(bytes[i] << 8 | bytes[i + 1]);
    }
    if (length % 2) {
        sum += static_cast<uint32_t>(bytes[length - 1] << 8);
    }
    while (sum >> 16) {
        sum = (sum & 0xffff) + (sum >> 16);
    }
    return static_cast<uint16_t>(~sum);
}

std::vector<uint8_t> EchoMessage(uint8_t type, uint16_t id, uint16_t sequence) {
    std::vector<uint8_t> m = {type,
                              0,
                              0,
                              0,
                              static_cast<uint8_t>(id >> 8),
                              static_cast<uint8_t>(id),
                              static_cast<uint8_t>(sequence >> 8),
                              static_cast<uint8_t>(sequence),
                              'e',
                              'c',
                              'h',
                              'o',
                              's',
                              'i',
                              'm',
                              '!'};
    const uint16_t sum = EchoChecksum(m.data(), m.size());
    m[2] = static_cast<uint8_t>(sum >> 8);
    m[3] = static_cast<uint8_t>(sum);
    return m;
}

EchoResponder::EchoResponder(int rawSocket, EchoMode mode)
    : m_socket(rawSocket), m_mode(mode), m_thread([this] { Serve(); }) {}

EchoResponder::~EchoResponder() {
    m_stop = true;
    m_thread.join();
}

void EchoResponder::Send(uint8_t type, uint16_t id, uint16_t sequence) {
    const std::vector<uint8_t> m = EchoMessage(type, id, sequence);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::sendto(m_socket, m.data(), m.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
}

void EchoResponder::Serve() {
    while (!m_stop) {
        pollfd p{m_socket, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) {
            continue;
        }
        uint8_t buffer[1024];
        const ssize_t n = ::recv(m_socket, buffer, sizeof buffer, 0);
        // Our own replies come back on the raw socket too: requests only.
        if (n < static_cast<ssize_t>(kIpHeader + 8) || buffer[kIpHeader] != kEchoRequest) {
            continue;
        }
        ++m_requests;
        const uint8_t* icmp = buffer + kIpHeader;
        const auto id = static_cast<uint16_t>(icmp[4] << 8 | icmp[5]);
        const auto sequence = static_cast<uint16_t>(icmp[6] << 8 | icmp[7]);
        switch (m_mode) {
            case EchoMode::kStraysThenReply:
                Send(kEchoReply, static_cast<uint16_t>(id + 1), sequence);
                Send(kEchoReply, id, static_cast<uint16_t>(sequence + 7));
                Send(kUnreachable, id, sequence);
                Send(kEchoReply, id, sequence);
                break;
            case EchoMode::kWrongIdOnly:
                Send(kEchoReply, static_cast<uint16_t>(id + 1), sequence);
                break;
            case EchoMode::kSilent:
                break;
        }
    }
}

}  // namespace receiver_sim
