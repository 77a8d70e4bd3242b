// SenderServer: sender-server mode of the client facade. The sender listens
// (TCP 16120 image, 16121 command, 16122 a third connection) and announces
// itself on UDP 11047 to 11049; a receiver connects to it and logs in with
// the sender's login code, after which the client works as after an
// ordinary login.
//
// It derives from QkRdpProvider (so VRXClient is its virtual base); the
// application's client class derives from it. Connections that are not
// adopted are closed; while a receiver is logged in, a command connection
// from any other address is refused. Login codes never go to the log.
//
// The accept thread only hands connections over: a worker identifies and
// adopts them one at a time, the command connection within a deadline of
// its own. An image or third connection that comes before its command
// connection is held for a short while and adopted once the command
// connection from the same address is. Wrong login codes are limited per
// connection and per address (LoginAttemptLimiter).
//
// THREADING: OnConnect on the listening server's thread, adoption on the
// adopter's worker, the login check on the command channel's dispatcher
// thread, the rest on the caller's thread.
// A class derived from this one calls StopSenderServer() and then Shutdown()
// first in its destructor, so that no server or channel thread calls a
// virtual of a half-destroyed object.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/socket.h"
#include "vrxclientsdk/VRXClient/input/QkRdpProvider.h"
#include "vrxclientsdk/VRXClient/senderserver/ConnectionAdopter.h"
#include "vrxclientsdk/VRXClient/senderserver/LoginAttemptLimiter.h"
#include "vrxclientsdk/VRXClient/senderserver/ReplySenderDiscovery.h"

class MyReplySenderDiscovery;
class MySocketServer;

class SenderServer : public QkRdpProvider, private ConnectionAdopter::Router {
public:
    // The TCP ports, in the order they are listened on.
    static constexpr uint16_t kImagePort = 16120;
    static constexpr uint16_t kCommandPort = 16121;
    static constexpr uint16_t kThirdPort = 16122;
    // The UDP ports of the discovery responder.
    static constexpr uint16_t kFirstAnnouncePort = 11047;
    static constexpr uint16_t kLastAnnouncePort = 11049;
    // How long an image or third connection waits for its command
    // connection, and how long identifying a command connection may take.
    static constexpr int kHoldMs = 2000;
    static constexpr int kIdentifyMs = 3000;
    // How long a refused login's answer has before its connection is shut.
    static constexpr int kAnswerGraceMs = 200;
    // How many accepted connections may wait for adoption at once.
    static constexpr size_t kMaxWaiting = 16;

    // Login code types of SetLoginCode.
    enum LoginCodeType { kNoLoginCode = 0, kRandomLoginCode = 1, kGivenLoginCode = 2 };

    SenderServer();
    // Replays input through `replay` (tests give one over a fake injector).
    explicit SenderServer(std::shared_ptr<InputReplay> replay);
    // Stops both servers, then shuts the facade down and closes the third
    // socket.
    ~SenderServer() override;

    // type 0 none, 1 six random digits (kept when already random), 2 the
    // given code; restarts the server when type or code changed.
    virtual void SetLoginCode(int type, const char* code);
    // Starts listening and announcing with `record` (null: the stored one).
    // 0, or -6528701 when no port listens, or another negative code.
    virtual int StartSenderServer(const ReplySenderDiscovery::AnnounceType* record);
    virtual void StopSenderServer();
    virtual void RestartSenderServer();
    // The local address (network order) the servers listen on from their
    // next start; 0, the default, is every address.
    void SetListenAddress(uint32_t ipv4) { m_ListenAddress = ipv4; }
    // Called after every start with the current login code.
    virtual void OnStandby(const char* loginCode);
    // Called when a receiver has logged in to this sender.
    virtual void OnLogin(const in_addr* receiver);
    // The connection a receiver opened on 16122, handed over once; -1 after.
    virtual platform::SocketHandle TakeAuxSocket();
    // Takes a connection accepted on `port` for adoption; this object owns
    // `s`. It does not wait for the peer.
    virtual void OnConnect(platform::SocketHandle s, uint16_t port);

    // The receiver's login event: checks its password against the code.
    int OnLogin(const std::string& password) override;

    // The current login code (empty: none).
    std::string GetLoginCode();
    // Adoption state of the receiver being connected.
    bool CommandConnectedForTest() const { return m_CmdConnected.load(); }
    bool ImageConnectedForTest() const { return m_IBConnected.load(); }
    // Connections that wait for adoption or are being adopted.
    size_t WaitingForTest() { return m_Adopter.Waiting(); }

    // A fresh code of six digits, uniform over 000000-999999, from the
    // system's cryptographic source; empty when that source fails.
    static std::string MakeRandomLoginCode();

protected:
    int OnLoginPassword(const std::string& password);

    ReplySenderDiscovery::AnnounceType m_Announce;
    std::atomic<platform::SocketHandle> m_AuxSocket{platform::kInvalidSocket};

private:
    // ConnectionAdopter::Router, on the adopter's worker.
    bool Route(ConnectionAdopter::Offered& c) override;
    bool Ready(const ConnectionAdopter::Offered& c,
               const std::deque<ConnectionAdopter::Offered>& held) override;
    void Expired(const ConnectionAdopter::Offered& c) override;

    void AdoptCommand(platform::SocketHandle s, uint32_t peer);
    void OnAdoptingCommand(uint32_t peer) override;
    // False when the facade is busy: `*s` is then the connection's socket
    // to offer again.
    bool AdoptImage(platform::SocketHandle* s);
    void AdoptThird(platform::SocketHandle s);
    // Whether the command connection of `address` is adopted and still open.
    bool IsSessionPeer(uint32_t address);
    // Shuts the command connection down once the answer to the event being
    // handled has gone out.
    void CloseCommandAfterAnswer();
    // Closes `s`, logging why.
    void Refuse(platform::SocketHandle s, uint32_t address, uint16_t port, const char* why);

    std::mutex m_ServerLock;  // serialises start and stop, guards the servers
    std::shared_ptr<MySocketServer> m_pSockSvr;
    std::shared_ptr<MyReplySenderDiscovery> m_pReplyDiscovery;
    std::atomic<uint32_t> m_ListenAddress{0};
    std::atomic<bool> m_CmdConnected{false};
    std::atomic<bool> m_IBConnected{false};
    std::atomic<uint32_t> m_ConnectedPeer{0};  // network order
    std::atomic<bool> m_ReceiverLoggedIn{false};
    std::atomic<bool> m_ThirdAdopted{false};  // in the current set
    LoginAttemptLimiter m_Attempts;
    ConnectionAdopter m_Adopter{*this, kHoldMs, kMaxWaiting};

    std::mutex m_CodeLock;  // guards the code and the record's flag
    std::atomic<int> m_LoginCodeType{kNoLoginCode};
    std::string m_LoginCode;
};
