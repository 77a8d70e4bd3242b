// IBClientAdaptor: the facade's image channel. An IBClient that reports each
// acknowledgement and the loss of its connection to the facade that owns it,
// remembers the buffer size the login gave it, sends the SenderId record on
// a new image socket, and re-opens a lost connection once per 30 s before it
// gives up on projection.
//
// THREADING: OnRecvIbAck on the image connection's dispatcher thread,
// OnConnectClose on its closer thread; the rest from the facade's threads
// under its operation lock.
#pragma once

#include <atomic>
#include <cstdint>

#include "vrxclientsdk/VRXClient/imagechannel/IBClient.h"

class VRXClient;

class IBClientAdaptor : public IBClient {
public:
    // Size of the SenderId record: "SenderId", the 4-byte login key, zeros.
    static constexpr size_t kSenderIdSize = 32;
    // A lost image connection is re-opened at most once in this time.
    static constexpr uint64_t kReconnectIntervalMs = 30000;

    // `facade` owns this adaptor and must outlive its threads.
    explicit IBClientAdaptor(VRXClient& facade);
    ~IBClientAdaptor() override;
    IBClientAdaptor(const IBClientAdaptor&) = delete;
    IBClientAdaptor& operator=(const IBClientAdaptor&) = delete;

    void SetBufferSize(int bytes) override;
    // The size last given to SetBufferSize (0 before any).
    int GetBufferSize() const { return m_bufferSize.load(); }

    int OnRecvIbAck(const uint8_t* payload) override;

    // Sends the SenderId record on the image socket with the facade's key;
    // one plain send whose result is not used (the receiver matches the
    // connection to the login by it, or closes it).
    void SendSenderId();

protected:
    void OnConnectClose() override;
    // The image channel's handshake; on a re-opened connection it also sends
    // the SenderId record before the socket carries anything else.
    int Handshake(platform::SocketHandle socket) override;

private:
    void FillSenderId(uint8_t (&record)[kSenderIdSize]);

    VRXClient& m_facade;
    std::atomic<int> m_bufferSize{0};
    // Time of the last automatic reconnect; none yet: the first loss always
    // tries one.
    bool m_reconnected = false;  // closer thread only
    std::atomic<bool> m_senderIdOnConnect{false};
    uint64_t m_lastReconnectMs = 0;
};
