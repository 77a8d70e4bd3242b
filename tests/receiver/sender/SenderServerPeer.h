// SenderServerPeer: the receiver's side of sender-server mode. It connects
// from a loopback address of its choice to a sender that listens (command
// 16121, image 16120, third 16122), serves the command connection with the
// simulator's command side (answers, events, acknowledgements) and logs in
// with a code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/receiver/command/CommandReceiver.h"

namespace receiver_sim {

class SenderServerPeer {
public:
    struct Config {
        std::string localAddress = "127.0.0.1";   // where the receiver connects from
        std::string senderAddress = "127.0.0.1";  // where the sender listens
        CommandConfig command;                    // the command side's answers
    };

    explicit SenderServerPeer(Config config);
    ~SenderServerPeer();  // closes every connection
    SenderServerPeer(const SenderServerPeer&) = delete;
    SenderServerPeer& operator=(const SenderServerPeer&) = delete;

    // Connects to the command port and serves the connection. 0 or minus
    // the system error.
    int ConnectCommand(uint16_t port = 16121);
    // A plain connection (image 16120, third 16122): its descriptor, kept
    // until the peer goes, or minus the system error.
    int ConnectRaw(uint16_t port);
    // Sends the login event with `code` (at offset 52 of 80 bytes).
    bool SendLogin(const std::string& code);
    // The result byte of the sender's login acknowledgement, or -1 when none
    // came within `timeoutMs`.
    int WaitLoginResult(int timeoutMs = 5000);

    // True once the sender closed `fd` (end of stream within `timeoutMs`).
    static bool ClosedBySender(int fd, int timeoutMs = 5000);

    CommandReceiver& Command() { return *m_command; }

private:
    int Connect(uint16_t port);

    Config m_config;
    std::unique_ptr<CommandReceiver> m_command;
    std::vector<int> m_raw;
};

}  // namespace receiver_sim
