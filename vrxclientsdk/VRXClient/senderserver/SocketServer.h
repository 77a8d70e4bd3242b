// SocketServer: listens on a list of TCP ports and hands every accepted
// connection to OnConnect, on an accept thread of its own.
//
// It does not read or write the connections: the one who gets a socket in
// OnConnect owns it. A port that cannot be bound or listened on is logged
// and skipped. MySocketServer passes the connections to the sender server.
//
// THREADING: Start and Stop on the owner's thread; OnConnect on the accept
// thread.
#pragma once

#include <atomic>
#include <boost/thread/thread.hpp>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/socket.h"
#include "vrxclientsdk/VRPClient/QKErrorHandler.h"

class SocketServer : public QKErrorHandler {
public:
    SocketServer();
    // Stops the thread and closes the listening sockets.
    ~SocketServer() override;
    SocketServer(const SocketServer&) = delete;
    SocketServer& operator=(const SocketServer&) = delete;

    // Stops what runs, then listens on every port of `ports` that can be
    // bound. 0; minus the socket error when a socket cannot be made;
    // -6528701 when no port listens; -6527001 when the thread cannot start.
    virtual int Start(const std::vector<uint16_t>& ports);
    // The local address the next Start listens on (network order); 0, the
    // default, is every address.
    void SetListenAddress(uint32_t ipv4) { m_ListenAddress = ipv4; }
    // Whether `port` is one of the listening ports.
    virtual bool HasPort(uint16_t port);
    // Listens on one more port, tried from 10000 upwards in random steps;
    // the port, or -6528701 after 20 failures, or minus the socket error.
    virtual int TryBindPort();
    // A connection accepted on `port`; the callee owns `s`. Here: logs it
    // and closes it.
    virtual void OnConnect(platform::SocketHandle s, uint16_t port);
    // Ends the thread and closes the listening sockets. Idempotent.
    virtual void Stop();

private:
    // Makes a socket listen on `port`: the socket, or minus the socket
    // error of socket() (the other failures give kInvalidSocket, logged).
    platform::SocketHandle Listen(uint16_t port, int* socketError);
    void AcceptThread();

    boost::mutex m_ListLock;  // guards the two lists
    std::vector<platform::SocketHandle> m_Sockets;
    std::vector<uint16_t> m_Ports;
    std::atomic<bool> m_Running{false};
    std::atomic<uint32_t> m_ListenAddress{0};
    std::unique_ptr<boost::thread> m_pSockEventThread;
};
