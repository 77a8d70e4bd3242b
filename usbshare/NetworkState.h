// Tells whether the network that carries a connection is still there.
//
// The socket client asks after every pass of its reader loop, so that a
// vanished network ends the command connection even when no reset arrives.
#pragma once

#include <memory>

#include "platform/socket.h"

namespace porvane {

class NetworkState {
public:
    virtual ~NetworkState() = default;

    // True while the interface that holds the local address of `s` is up and
    // running. A socket whose address cannot be read counts as alive (the
    // next receive then reports the fault).
    virtual bool IsNetworkAlive(platform::SocketHandle s) = 0;

    // The system's implementation (network interfaces of this machine).
    static std::unique_ptr<NetworkState> Create();
};

}  // namespace porvane
