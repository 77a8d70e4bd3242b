// IcmpPinger: ICMP echo requests to one IPv4 address, as the network
// self-check sends them.
//
// Four requests (sequence 0..3), each waiting up to the reply time-out for
// its own answer: an echo reply from the target carrying our identifier and
// that sequence. Stray datagrams (other senders, other identifiers, other
// sequences, other types) are skipped while the time-out runs. After each
// answer the pinger pauses before the next request.
//
// It opens a raw ICMP socket (needs the privilege), else an unprivileged
// ping socket (net.ipv4.ping_group_range), else gives kPingNoSocket and logs
// why. The clock and the pause are injectable.
// THREADING: any thread; blocks (about 4 s for an answering address, up to
// the reply time-out for a silent one).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

inline constexpr int kPingAnswered = 1;
inline constexpr int kPingNoAnswer = 0;
inline constexpr int kPingNoSocket = -2;

// The Internet checksum (one's complement of the one's-complement sum of
// 16-bit words; the carry folded until none is left).
uint16_t InternetChecksum(const uint8_t* data, size_t size);

// The 12-byte echo request: type 8, code 0, checksum, identifier, sequence
// (both network order), timestamp.
std::array<uint8_t, 12> BuildEchoRequest(uint16_t identifier, uint16_t sequence,
                                         uint32_t timestamp);

// Whether `data` is the echo reply to (identifier, sequence). With
// `withIpHeader` it starts with an IPv4 header (raw sockets), which is
// checked and skipped.
bool IsEchoReplyTo(const uint8_t* data, size_t size, bool withIpHeader, uint16_t identifier,
                   uint16_t sequence);

class Pinger {
public:
    virtual ~Pinger() = default;
    // kPingAnswered when every request got its answer; kPingNoAnswer, or
    // kPingNoSocket when no ICMP socket can be opened.
    virtual int PingAddress(const std::string& address) = 0;
};

class IcmpPinger final : public Pinger {
public:
    struct Options {
        int attempts = 4;
        uint32_t replyTimeoutMs = 3000;
        uint32_t pauseMs = 1000;
        // The pause after an answer; null: a real sleep.
        std::function<void(uint32_t ms)> sleep;
        // Only a ping socket, never a raw one (tests of the unprivileged path).
        bool pingSocketOnly = false;
    };
    IcmpPinger() = default;
    explicit IcmpPinger(Options options) : m_options(std::move(options)) {}

    int PingAddress(const std::string& address) override;

private:
    Options m_options;
};

}  // namespace platform
