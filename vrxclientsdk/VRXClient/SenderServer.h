// SenderServer: sender-server mode of the client facade. The sender listens
// (TCP 16120 image, 16121 command, 16122 a third connection) and announces
// itself on UDP; a receiver connects to it and logs in with the sender's
// login code, after which the client works as after an ordinary login.
//
// It derives from QkRdpProvider (so VRXClient is its virtual base); the
// application's client class derives from it. The listening and announcing
// servers are not part of this build yet: StartSenderServer fails with a
// clear code, offered connections are closed, and a receiver's login is
// refused.
//
// THREADING: OnConnect on the listening server's thread, the login check on
// the command channel's dispatcher thread, the rest on the caller's thread.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/socket.h"
#include "vrxclientsdk/VRXClient/QkRdpProvider.h"
#include "vrxclientsdk/VRXClient/ReplySenderDiscovery.h"

class SenderServer : public QkRdpProvider {
public:
    SenderServer();
    // Shuts the facade down first, then stops the servers.
    ~SenderServer() override;

    // type 0 none, 1 random six digits, 2 the given code; restarts the
    // server when type or code changed.
    virtual void SetLoginCode(int type, const char* code);
    // Starts listening and announcing with `record` (null: the stored one).
    virtual int StartSenderServer(const ReplySenderDiscovery::AnnounceType* record);
    virtual void StopSenderServer();
    virtual void RestartSenderServer();
    // Called after every start with the current login code.
    virtual void OnStandby(const char* loginCode);
    // Called when a receiver has logged in to this sender.
    virtual void OnLogin(const in_addr* receiver);
    // The connection a receiver opened on 16122, handed over once; -1 after.
    virtual platform::SocketHandle TakeAuxSocket();
    // Routes a connection accepted on `port`; this object owns `s`.
    virtual void OnConnect(platform::SocketHandle s, uint16_t port);

    // The receiver's login event: checks its password against the code.
    int OnLogin(const std::string& password) override;

protected:
    int OnLoginPassword(const std::string& password);

    ReplySenderDiscovery::AnnounceType m_Announce;
    std::atomic<platform::SocketHandle> m_AuxSocket{platform::kInvalidSocket};
};
