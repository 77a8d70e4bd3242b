// MySocketServer: the sender server's listening server. Every accepted
// connection goes to the owning SenderServer's OnConnect.
#pragma once

#include "vrxclientsdk/VRXClient/senderserver/SocketServer.h"

class SenderServer;

class MySocketServer : public SocketServer {
public:
    // `owner` must outlive this server's thread (it stops the server first).
    explicit MySocketServer(SenderServer& owner) : m_owner(owner) {}
    ~MySocketServer() override { Stop(); }

    void OnConnect(platform::SocketHandle s, uint16_t port) override;

private:
    SenderServer& m_owner;
};
