// EchoResponder: a receiver's ICMP echo side on loopback, for the sender's
// network self-check.
//
// The kernel answers echo requests by itself, so a responder that decides
// what comes back needs a network namespace of its own with the kernel's
// echo answers off: EnterEchoNamespace makes one for the calling process
// (which must be a child of the test: the namespace is kept for good) and
// opens the raw ICMP socket the responder reads and writes.
//
// Per request the responder sends what its mode says: strays (another
// identifier, another sequence, another message type) and then the true
// reply; only replies with another identifier; or nothing at all. The
// packets are built here from the wire format alone.
//
// THREADING: the responder serves on a thread of its own from construction
// to destruction.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace receiver_sim {

enum class EchoMode {
    kStraysThenReply,  // three strays, then the reply that matches
    kWrongIdOnly,      // only a reply with another identifier
    kSilent,           // no answer
};

// In the calling process: a network namespace of its own, loopback up, the
// kernel's echo answers off; returns a raw ICMP socket in it, or -1 when
// that cannot be had here (no privilege). Call it in a forked child.
int EnterEchoNamespace();

// The Internet checksum of `bytes` (one's complement of the folded sum).
uint16_t EchoChecksum(const uint8_t* bytes, size_t length);
// An ICMP message of `type` (8 request, 0 reply, 3 unreachable) with
// identifier, sequence and 8 payload bytes, checksum filled in.
std::vector<uint8_t> EchoMessage(uint8_t type, uint16_t id, uint16_t sequence);

class EchoResponder {
public:
    // Serves on `rawSocket` (borrowed; it outlives the responder).
    EchoResponder(int rawSocket, EchoMode mode);
    ~EchoResponder();
    EchoResponder(const EchoResponder&) = delete;
    EchoResponder& operator=(const EchoResponder&) = delete;

    // Echo requests seen so far.
    int Requests() const { return m_requests; }

private:
    void Serve();
    void Send(uint8_t type, uint16_t id, uint16_t sequence);

    int m_socket;
    EchoMode m_mode;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_requests{0};
    std::thread m_thread;
};

}  // namespace receiver_sim
