// The command channel's socket client: one connected socket and the reader
// thread that hands what arrives to an ISocketClientHandler.
//
// The reader waits for data with a bounded poll, so it also notices when the
// owner stops the client and, through NetworkState, when the network goes.
// The client owns its thread: Stop (or the destructor) shuts the socket down,
// joins the reader and closes the socket. It does not parse anything.
#pragma once

#include <atomic>
#include <boost/thread/thread.hpp>
#include <cstdint>
#include <memory>

#include "usbshare/ISocketClientHandler.h"
#include "usbshare/NetworkState.h"
#include "usbshare/SocketHandle.h"

namespace porvane {

class SocketClient {
public:
    // `handler` is called on the reader thread and must outlive the client's
    // reader (that is, until Stop returns or the client is destroyed).
    explicit SocketClient(ISocketClientHandler* handler);
    ~SocketClient();
    SocketClient(const SocketClient&) = delete;
    SocketClient& operator=(const SocketClient&) = delete;

    // Connects to `host`/`service` (within `connectTimeoutMs`) and starts the
    // reader thread. False when the socket is already open (it stays open) or
    // the connection fails (errno says why).
    bool Start(int family, const char* host, const char* service, uint32_t connectTimeoutMs);

    // Ends the connection: shuts the socket down, joins the reader thread and
    // closes the socket. Idempotent. Called on the reader thread itself it only
    // shuts down; a later call from another thread (or the destructor) joins.
    // The handler hears no OnConnectionDropped for a stop that it asked for.
    void Stop();

    // The first half of Stop: marks the stop and shuts the socket down, so
    // that blocked readers and writers return, without joining. Any thread.
    void RequestStop();

    bool IsOpen() const { return m_Socket.IsOpen(); }
    CSocketHandle& Socket() { return m_Socket; }

    // Sends a whole message (see CSocketHandle::Write); any thread.
    int Write(const uint8_t* data, size_t len, uint32_t timeoutMs) {
        return m_Socket.Write(data, len, timeoutMs);
    }

    // Replaces the network check; `state` must outlive the client. Call before
    // Start.
    void SetNetworkStateForTest(NetworkState* state) { m_pNetwork = state; }

private:
    void Run();
    static bool IsDropError(int error);

    // How long the reader waits for data before it checks the network and the
    // stop flag again.
    static constexpr int kPollMs = 100;
    static constexpr unsigned kReadsPerNetworkCheck = 16;

    CSocketHandle m_Socket;
    ISocketClientHandler* const m_pHandler;
    std::unique_ptr<NetworkState> m_pOwnNetwork;
    NetworkState* m_pNetwork;
    std::atomic<bool> m_bStop{false};
    boost::thread m_Thread;
};

}  // namespace porvane
