#include "platform/icmp_pinger.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/clock.h"
#include "platform/log.h"
#include "platform/unique_fd.h"

namespace platform {
namespace {

constexpr uint8_t kEchoReply = 0;
constexpr uint8_t kEchoRequest = 8;
constexpr size_t kReceiveBytes = 1024;

uint16_t Read16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

}  // namespace

uint16_t InternetChecksum(const uint8_t* data, size_t size) {
    uint32_t sum = 0;
    size_t i = 0;
    for (; i + 1 < size; i += 2) {
        sum += Read16(data + i);
    }
    if (i < size) {
        sum += static_cast<uint32_t>(data[i]) << 8;
    }
    while (sum >> 16) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<uint16_t>(~sum);
}

std::array<uint8_t, 12> BuildEchoRequest(uint16_t identifier, uint16_t sequence,
                                         uint32_t timestamp) {
    std::array<uint8_t, 12> r{};
    r[0] = kEchoRequest;
    r[1] = 0;
    r[4] = static_cast<uint8_t>(identifier >> 8);
    r[5] = static_cast<uint8_t>(identifier);
    r[6] = static_cast<uint8_t>(sequence >> 8);
    r[7] = static_cast<uint8_t>(sequence);
    std::memcpy(&r[8], &timestamp, 4);
    const uint16_t sum = InternetChecksum(r.data(), r.size());
    r[2] = static_cast<uint8_t>(sum >> 8);
    r[3] = static_cast<uint8_t>(sum);
    return r;
}

bool IsEchoReplyTo(const uint8_t* data, size_t size, bool withIpHeader, uint16_t identifier,
                   uint16_t sequence) {
    if (withIpHeader) {
        if (size < 20 || (data[0] >> 4) != 4) {
            return false;
        }
        const size_t headerBytes = static_cast<size_t>(data[0] & 0x0F) * 4;
        if (headerBytes < 20 || headerBytes > size || data[9] != IPPROTO_ICMP) {
            return false;
        }
        data += headerBytes;
        size -= headerBytes;
    }
    if (size < 8 || data[0] != kEchoReply || data[1] != 0) {
        return false;
    }
    return Read16(data + 4) == identifier && Read16(data + 6) == sequence;
}

int IcmpPinger::PingAddress(const std::string& address) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    if (::inet_pton(AF_INET, address.c_str(), &target.sin_addr) != 1) {
        Log(LogLevel::kWarning, "ping", "not an IPv4 address: %s", address.c_str());
        return kPingNoAnswer;
    }
    bool raw = false;
    UniqueFd socket;
    int rawError = 0;
    if (!m_options.pingSocketOnly) {
        socket.reset(::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP));
        raw = socket.get() >= 0;
        rawError = errno;
    }
    if (!raw) {
        socket.reset(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP));
        if (socket.get() < 0) {
            const int pingError = errno;
            Log(LogLevel::kError, "ping",
                "fail to create socket: raw ICMP: %s; ping socket: %s (see "
                "net.ipv4.ping_group_range)",
                rawError ? std::strerror(rawError) : "not tried", std::strerror(pingError));
            return kPingNoSocket;
        }
    }
    // A ping socket's identifier is its port, set by the kernel.
    uint16_t identifier = static_cast<uint16_t>(::getpid() & 0xFFFF);
    if (!raw) {
        sockaddr_in bound{};
        bound.sin_family = AF_INET;
        if (::bind(socket.get(), reinterpret_cast<sockaddr*>(&bound), sizeof bound) != 0) {
            Log(LogLevel::kError, "ping", "ping socket bind: %s", std::strerror(errno));
            return kPingNoSocket;
        }
        socklen_t len = sizeof bound;
        ::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&bound), &len);
        identifier = ntohs(bound.sin_port);
    }
    for (int attempt = 0; attempt < m_options.attempts; ++attempt) {
        const uint16_t sequence = static_cast<uint16_t>(attempt);
        const uint64_t sent = NowMs();
        const auto request = BuildEchoRequest(identifier, sequence, static_cast<uint32_t>(sent));
        if (::sendto(socket.get(), request.data(), request.size(), 0,
                     reinterpret_cast<const sockaddr*>(&target), sizeof target) < 0) {
            Log(LogLevel::kWarning, "ping", "send error: %s", std::strerror(errno));
            return kPingNoAnswer;
        }
        const uint64_t deadline = sent + m_options.replyTimeoutMs;
        bool answered = false;
        while (!answered) {
            const uint64_t now = NowMs();
            if (now >= deadline) {
                break;
            }
            pollfd p{socket.get(), POLLIN, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(deadline - now));
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            if (ready <= 0) {
                break;
            }
            uint8_t buffer[kReceiveBytes];
            sockaddr_in from{};
            socklen_t fromLen = sizeof from;
            const ssize_t n = ::recvfrom(socket.get(), buffer, sizeof buffer, 0,
                                         reinterpret_cast<sockaddr*>(&from), &fromLen);
            if (n < 0) {
                continue;
            }
            answered = from.sin_addr.s_addr == target.sin_addr.s_addr &&
                       IsEchoReplyTo(buffer, static_cast<size_t>(n), raw, identifier, sequence);
            if (answered) {
                Log(LogLevel::kInfo, "ping", "reply from %s: bytes=%zd time=%llums",
                    address.c_str(), n, static_cast<unsigned long long>(NowMs() - sent));
            }
        }
        if (!answered) {
            Log(LogLevel::kWarning, "ping", "no reply from %s (sequence %d)", address.c_str(),
                attempt);
            return kPingNoAnswer;
        }
        if (m_options.sleep) {
            m_options.sleep(m_options.pauseMs);
        } else {
            SleepMs(m_options.pauseMs);
        }
    }
    return kPingAnswered;
}

}  // namespace platform
