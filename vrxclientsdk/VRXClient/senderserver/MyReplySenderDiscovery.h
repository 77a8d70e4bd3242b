// MyReplySenderDiscovery: the sender server's discovery responder. Every
// reply carries the owning client's state and, while it projects, the
// address of the receiver it projects to.
#pragma once

#include "vrxclientsdk/VRXClient/senderserver/ReplySenderDiscovery.h"

class SenderServer;

class MyReplySenderDiscovery : public ReplySenderDiscovery {
public:
    // `owner` must outlive this responder's thread (it stops it first).
    explicit MyReplySenderDiscovery(SenderServer& owner) : m_owner(owner) {}
    ~MyReplySenderDiscovery() override { Stop(); }

    ByteString BuildReply(const AnnounceType& record) override;

private:
    SenderServer& m_owner;
};
