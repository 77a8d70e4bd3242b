// SenderQuery: the receiver looking for senders. It sends datagrams ("VRPC"
// or anything a test wants) from one UDP socket on a loopback address and
// reads back what the senders answer, with the port each answer came from.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace receiver_sim {

class SenderQuery {
public:
    struct Answer {
        std::vector<uint8_t> bytes;
        uint16_t fromPort = 0;
    };

    // Binds a UDP socket to `localAddress` on a free port.
    explicit SenderQuery(const std::string& localAddress = "127.0.0.1");
    ~SenderQuery();
    SenderQuery(const SenderQuery&) = delete;
    SenderQuery& operator=(const SenderQuery&) = delete;

    bool Ok() const { return m_fd >= 0; }
    uint16_t LocalPort() const { return m_localPort; }

    // Sends `bytes` to `address`:`port`; false when it could not be sent.
    bool Send(const std::string& address, uint16_t port, const std::vector<uint8_t>& bytes);
    bool SendQuery(const std::string& address, uint16_t port) {
        return Send(address, port, {'V', 'R', 'P', 'C'});
    }
    // The next answer, or nothing after `timeoutMs`.
    std::optional<Answer> Receive(int timeoutMs = 5000);

private:
    int m_fd = -1;
    uint16_t m_localPort = 0;
};

}  // namespace receiver_sim
