// Opens one TCP connection to an address over a list of ports, as a
// connection of the receiver protocol does: a non-blocking connect on every
// port (30 ms apart), then, in 30 ms steps until the time-out, the first
// socket that has connected and passes the caller's handshake wins. Every
// other socket is closed; so is every socket when none wins.
//
// Not a connection: it knows no frames and keeps no state between calls. The
// caller adopts the socket it returns.
//
// THREADING: runs on the calling thread; the hooks run there too.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/socket.h"

class PortConnector {
public:
    // What a handshake answers when its port can never succeed.
    static constexpr int kHandshakeRejected = -2;

    struct Hooks {
        // Sets the options of each new socket (non-blocking among them)
        // before it connects.
        std::function<void(platform::SocketHandle)> configure;
        // Checks a connected socket; >= 0 accepts it, kHandshakeRejected
        // gives that port up (a complete but wrong reply), any other negative
        // value asks to be called again once the socket has news. Must not
        // block. A port whose peer closed or failed is given up as well.
        std::function<int(platform::SocketHandle)> handshake;
        // Runs between two steps (the caller pumps its messages there).
        std::function<void()> betweenSteps;
        // Ends the wait early when it turns true (may be null).
        const std::atomic<bool>* cancel = nullptr;
    };

    enum class Outcome {
        kConnected,        // `socket` is the caller's now
        kNoConnection,     // no port connected within the time-out, or every port refused
        kHandshakeFailed,  // some port connected, but no handshake passed (in time)
        kSystemError,      // a socket could not be made or waited on: `systemError`
    };

    struct Result {
        Outcome outcome = Outcome::kNoConnection;
        platform::SocketHandle socket = platform::kInvalidSocket;
        size_t portIndex = 0;  // of the port that won
        int systemError = 0;
    };

    static Result Connect(in_addr address, const std::vector<uint16_t>& ports, int timeoutSeconds,
                          const Hooks& hooks);
};
