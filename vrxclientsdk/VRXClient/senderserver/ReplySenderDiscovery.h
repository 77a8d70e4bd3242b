// ReplySenderDiscovery: the sender's answer to receivers that look for
// senders. A receiver broadcasts the 4-byte query "VRPC" to UDP ports 11047
// to 11049; the responder answers every exact query with the 631-byte "QKPS"
// reply built from the sender's announce record (AnnounceType).
//
// One UDP socket per port of the range and one thread that answers. It knows
// nothing of the sender server's TCP side; MyReplySenderDiscovery adds the
// live client state to every reply.
//
// THREADING: Start and Stop on the owner's thread; BuildReply and OnQuery on
// the responder thread.
#pragma once

#include <atomic>
#include <boost/thread/thread.hpp>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/socket.h"
#include "vrxclientsdk/VRPClient/ProtocolBase.h"
#include "vrxclientsdk/VRPClient/QKErrorHandler.h"

class ReplySenderDiscovery : public QKErrorHandler {
public:
    // The sender's announce record, 632 bytes in memory, integers in host
    // order. The login code is never part of it.
    struct AnnounceType {
        // Zeroes the whole record, then fills the three TCP ports, the texts
        // and the version bytes.
        AnnounceType();

        uint32_t announceWord;     // 0
        uint16_t commandPort;      // 4
        uint16_t imagePort;        // 6
        uint16_t thirdPort;        // 8
        char senderName[40];       // 10, zero-padded
        char maker[7];             // 50
        char platform[40];         // 57
        uint8_t version[2];        // 97
        uint8_t reserved1[16];     // 99
        uint8_t noLoginCode;       // 115: 1 when the server has no login code
        uint8_t clientState;       // 116: low byte of the client's status
        uint8_t reserved2;         // 117
        uint8_t alignment1[2];     // 118
        uint32_t receiverAddress;  // 120: the receiver projected to
        uint8_t reserved3[505];    // 124
        uint8_t alignment2[3];     // 629
    };

    // Size of the "QKPS" reply.
    static constexpr size_t kReplySize = 631;
    // The query, exactly these 4 bytes.
    static constexpr char kQuery[4] = {'V', 'R', 'P', 'C'};

    ReplySenderDiscovery();
    // Stops the thread and closes the sockets.
    ~ReplySenderDiscovery() override;
    ReplySenderDiscovery(const ReplySenderDiscovery&) = delete;
    ReplySenderDiscovery& operator=(const ReplySenderDiscovery&) = delete;

    // The 631 reply bytes of `record`, integers big-endian.
    virtual ByteString BuildReply(const AnnounceType& record);
    // Stops what runs, then answers on UDP firstPort..lastPort with a copy of
    // `*record`. A port that cannot be bound is logged and skipped. 0, minus
    // the socket error when a socket cannot be made, or -6527001 when the
    // thread cannot start.
    virtual int Start(uint16_t firstPort, uint16_t lastPort, const AnnounceType* record);
    // The local address the next Start binds (network order); 0, the
    // default, is every address, which also hears broadcast queries.
    void SetListenAddress(uint32_t ipv4) { m_ListenAddress = ipv4; }
    // Ends the thread and closes every socket. Idempotent.
    virtual void Stop();
    // Run for every accepted query, before the reply is built. Empty here.
    virtual void OnQuery();

protected:
    // The thread body: answers queries until Stop.
    virtual void ReplyThread(const AnnounceType* record);

private:
    // Answers one datagram waiting on `s`, if it is a query.
    void AnswerOne(platform::SocketHandle s, const AnnounceType& record);
    void CloseSockets();

    std::vector<platform::SocketHandle> m_Sockets;
    std::unique_ptr<AnnounceType> m_Record;  // the responder thread's copy
    std::atomic<bool> m_Running{false};
    std::atomic<uint32_t> m_ListenAddress{0};
    std::unique_ptr<boost::thread> m_pReplyDiscoveryThread;
};

static_assert(sizeof(ReplySenderDiscovery::AnnounceType) == 632);
static_assert(offsetof(ReplySenderDiscovery::AnnounceType, commandPort) == 4);
static_assert(offsetof(ReplySenderDiscovery::AnnounceType, senderName) == 10);
static_assert(offsetof(ReplySenderDiscovery::AnnounceType, maker) == 50);
static_assert(offsetof(ReplySenderDiscovery::AnnounceType, platform) == 57);
static_assert(offsetof(ReplySenderDiscovery::AnnounceType, version) == 97);
static_assert(offsetof(ReplySenderDiscovery::AnnounceType, noLoginCode) == 115);
static_assert(offsetof(ReplySenderDiscovery::AnnounceType, receiverAddress) == 120);
static_assert(offsetof(ReplySenderDiscovery::AnnounceType, reserved3) == 124);
