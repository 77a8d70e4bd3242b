#include "vrxclientsdk/VRXClient/senderserver/SenderServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/socket.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/senderserver/Deadline.h"
#include "vrxclientsdk/VRXClient/senderserver/MyReplySenderDiscovery.h"
#include "vrxclientsdk/VRXClient/senderserver/MySocketServer.h"

namespace {

// Six digits: one code of 1000000. 4294000000 is the largest multiple of
// it below 2^32; values above are drawn again so that every code is equally
// likely.
constexpr uint32_t kCodeCount = 1000000;
constexpr uint32_t kUniformLimit = 4294000000u;
// What log lines show for a login code or a password.
constexpr const char* kMasked = "****";

const char* Masked(const std::string& secret) {
    return secret.empty() ? "" : kMasked;
}

}  // namespace

SenderServer::SenderServer() = default;

SenderServer::SenderServer(std::shared_ptr<InputReplay> replay)
    : QkRdpProvider(std::move(replay)) {}

SenderServer::~SenderServer() {
    // The servers' threads call into this object: they go first.
    StopSenderServer();
    Shutdown();
    platform::CloseSocketHandle(m_AuxSocket.exchange(platform::kInvalidSocket));
}

std::string SenderServer::MakeRandomLoginCode() {
    for (;;) {
        uint32_t value = 0;
        const ssize_t n = ::getrandom(&value, sizeof value, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n != static_cast<ssize_t>(sizeof value)) {
            return {};
        }
        if (value < kUniformLimit) {
            char text[8];
            std::snprintf(text, sizeof text, "%06u", value % kCodeCount);
            return text;
        }
    }
}

std::string SenderServer::GetLoginCode() {
    std::lock_guard<std::mutex> guard(m_CodeLock);
    return m_LoginCode;
}

void SenderServer::SetLoginCode(int type, const char* code) {
    const std::string given = code ? code : "";
    QK_LOGF(LOG_INFO, "SetLoginCode type:%d code:%s", type, Masked(given));
    bool changed = false;
    {
        std::lock_guard<std::mutex> guard(m_CodeLock);
        const int oldType = m_LoginCodeType.exchange(type);
        const std::string oldCode = m_LoginCode;
        if (type == kRandomLoginCode) {
            if (oldType != kRandomLoginCode || m_LoginCode.empty()) {
                m_LoginCode = MakeRandomLoginCode();
                if (m_LoginCode.empty()) {
                    QK_LOGF(LOG_ERROR, "SetLoginCode: no random code could be made (%d)", errno);
                }
            }
        } else if (type == kGivenLoginCode) {
            m_LoginCode = given;
        } else {
            m_LoginCode.clear();
        }
        changed = oldType != type || oldCode != m_LoginCode;
    }
    if (changed) {
        // Guesses at the old code tell nothing about the new one.
        m_Attempts.Reset();
    }
    if (changed) {
        RestartSenderServer();
    }
}

int SenderServer::StartSenderServer(const ReplySenderDiscovery::AnnounceType* record) {
    std::lock_guard<std::mutex> guard(m_ServerLock);
    if (record) {
        // Bounded: the texts of a record need not end in a zero byte.
        QK_LOGF(LOG_INFO, "StartSenderServer %.40s %.40s %.7s.", record->senderName,
                record->platform, record->maker);
        m_Announce = *record;
    } else {
        QK_LOGF(LOG_INFO, "StartSenderServer");
    }
    if (!m_Adopter.Start()) {
        return QK_ERROR(qkerr::kCreateObject, "m_Adopter");
    }
    if (!m_pSockSvr) {
        m_pSockSvr = std::make_shared<MySocketServer>(*this);
        m_pSockSvr->SetLogger(GetLogger());
    }
    m_pSockSvr->SetListenAddress(m_ListenAddress.load());
    if (int rc = m_pSockSvr->Start({kImagePort, kCommandPort, kThirdPort}); rc < 0) {
        CopyError(*m_pSockSvr);
        return rc;
    }
    if (!m_pReplyDiscovery) {
        m_pReplyDiscovery = std::make_shared<MyReplySenderDiscovery>(*this);
        m_pReplyDiscovery->SetLogger(GetLogger());
    }
    std::string code;
    {
        std::lock_guard<std::mutex> codeGuard(m_CodeLock);
        m_Announce.noLoginCode = m_LoginCodeType.load() == kNoLoginCode ? 1 : 0;
        code = m_LoginCode;
    }
    // The server works without its announcement: a failure is only logged.
    m_pReplyDiscovery->SetListenAddress(m_ListenAddress.load());
    m_pReplyDiscovery->Start(kFirstAnnouncePort, kLastAnnouncePort, &m_Announce);
    OnStandby(code.c_str());
    return QK_CLEAR_ERROR();
}

void SenderServer::StopSenderServer() {
    QK_LOGF(LOG_INFO, "StopSenderServer");
    std::lock_guard<std::mutex> guard(m_ServerLock);
    if (m_pReplyDiscovery) {
        m_pReplyDiscovery->Stop();
        m_pReplyDiscovery.reset();
    }
    if (m_pSockSvr) {
        m_pSockSvr->Stop();
        m_pSockSvr.reset();
    }
    // After the accept thread: nothing is offered any more.
    m_Adopter.Stop();
}

void SenderServer::RestartSenderServer() {
    StopSenderServer();
    StartSenderServer(nullptr);
}

void SenderServer::OnStandby(const char* loginCode) {
    QK_LOGF(LOG_INFO, "OnStandby %s", Masked(loginCode ? loginCode : ""));
}

void SenderServer::OnLogin(const in_addr* receiver) {
    QK_LOGF(LOG_INFO, "OnLogin IP:%s",
            receiver ? platform::FormatIPv4(receiver->s_addr).c_str() : "");
}

platform::SocketHandle SenderServer::TakeAuxSocket() {
    return m_AuxSocket.exchange(platform::kInvalidSocket);
}

void SenderServer::OnConnect(platform::SocketHandle s, uint16_t port) {
    QK_LOGF(LOG_DEBUG, "OnConnect p:%d s:%d  ", port, s);
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(s, reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
        QK_LOGF(LOG_NOTICE, "OnConnect: peer of socket %d unknown (%d), closed", s, errno);
        platform::CloseSocketHandle(s);
        return;
    }
    const uint32_t address = peer.sin_addr.s_addr;
    if (port != kCommandPort && port != kImagePort && port != kThirdPort) {
        Refuse(s, address, port, "not one of the sender's ports");
        return;
    }
    if (m_Attempts.Refused(address)) {
        Refuse(s, address, port, "too many wrong login codes");
        return;
    }
    if (!m_Adopter.Offer(s, port, address)) {
        Refuse(s, address, port, "too many connections wait");
    }
}

void SenderServer::Refuse(platform::SocketHandle s, uint32_t address, uint16_t port,
                          const char* why) {
    QK_LOGF(LOG_NOTICE, "OnConnect: connection from %s to port %d not adopted (%s), closed",
            platform::FormatIPv4(address).c_str(), port, why);
    platform::CloseSocketHandle(s);
}

bool SenderServer::IsSessionPeer(uint32_t address) {
    // An ended session has no peer. Only asked here, never forgotten here:
    // a connection routed while the next command connection is being
    // adopted would otherwise wipe that session's address.
    if (GetStatus() == kVrxDisconnected) {
        return false;
    }
    return address != 0 && address == m_ConnectedPeer.load();
}

bool SenderServer::Ready(const ConnectionAdopter::Offered& c,
                         const std::deque<ConnectionAdopter::Offered>& held) {
    if (c.port != kThirdPort) {
        return true;
    }
    // The third connection completes the set: it follows the image one.
    for (const ConnectionAdopter::Offered& other : held) {
        if (other.port == kImagePort && other.address == c.address) {
            return false;
        }
    }
    return true;
}

bool SenderServer::Route(ConnectionAdopter::Offered& c) {
    switch (c.port) {
        case kCommandPort:
            if (m_Attempts.Refused(c.address)) {
                Refuse(c.s, c.address, c.port, "too many wrong login codes");
                return true;
            }
            // A receiver that is logged in keeps the sender to itself.
            if (m_ReceiverLoggedIn.load() && GetStatus() != kVrxDisconnected &&
                c.address != m_ConnectedPeer.load()) {
                QK_LOGF(LOG_NOTICE, "OnConnect: %s refused, %s is logged in",
                        platform::FormatIPv4(c.address).c_str(),
                        platform::FormatIPv4(m_ConnectedPeer.load()).c_str());
                platform::CloseSocketHandle(c.s);
                return true;
            }
            AdoptCommand(c.s, c.address);
            return true;
        case kImagePort:
            return IsSessionPeer(c.address) && AdoptImage(&c.s);
        case kThirdPort:
            if (!IsSessionPeer(c.address)) {
                return false;
            }
            AdoptThird(c.s);
            return true;
        default:
            Refuse(c.s, c.address, c.port, "not one of the sender's ports");
            return true;
    }
}

void SenderServer::Expired(const ConnectionAdopter::Offered& c) {
    Refuse(c.s, c.address, c.port, "no command connection from its address");
}

void SenderServer::AdoptCommand(platform::SocketHandle s, uint32_t peer) {
    // Identifying the receiver and reading its capabilities take no longer
    // than the deadline: a silent peer is cut off then (its request fails
    // at once).
    Deadline deadline(kIdentifyMs, [this] { CommandChannel().CloseConnect(); });
    // InitCmdSocket closes the socket itself when it does not adopt it; a
    // connection it did not adopt changes nothing here.
    if (int rc = InitCmdSocket(s); rc != 0) {
        QK_LOGF(LOG_NOTICE, "OnConnect: command connection from %s not adopted (%d)",
                platform::FormatIPv4(peer).c_str(), rc);
        return;
    }
    // The capabilities decide whether a third connection follows the
    // image connection; the login reads them again.
    DeviceCapRecord caps;
    if (CommandChannel().GetDeviceCap(&caps) >= 0) {
        StoreCapabilities(caps);
    }
    if (deadline.Expired()) {
        QK_LOGF(LOG_NOTICE, "OnConnect: %s did not answer within %d ms, closed",
                platform::FormatIPv4(peer).c_str(), kIdentifyMs);
        return;
    }
    m_CmdConnected = true;
    m_IBConnected = false;
    m_ThirdAdopted = false;
}

void SenderServer::OnAdoptingCommand(uint32_t peer) {
    // Before the connection's first event: a login that came with the
    // connection is checked against this address and is not undone here.
    m_ReceiverLoggedIn = false;
    m_Attempts.NewConnection();
    m_ConnectedPeer = peer;
}

bool SenderServer::AdoptImage(platform::SocketHandle* s) {
    // InitIBSocket closes what it is offered when the facade is busy (a
    // login is being handled): a duplicate keeps the connection for a retry.
    const platform::SocketHandle spare = ::fcntl(*s, F_DUPFD_CLOEXEC, 0);
    if (spare < 0) {
        QK_LOGF(LOG_NOTICE, "OnConnect: image connection kept for later (%d)", errno);
        return false;
    }
    const int rc = InitIBSocket(*s);
    if (rc == qkerr::kBusy) {
        *s = spare;
        return false;
    }
    platform::CloseSocketHandle(spare);
    if (rc < 0 || !m_CmdConnected.load()) {
        return true;
    }
    if (HasFbfBit20() && !m_ThirdAdopted.load()) {
        // A third connection completes the set.
        m_IBConnected = true;
    } else {
        m_CmdConnected = false;
        m_IBConnected = false;
    }
    return true;
}

void SenderServer::AdoptThird(platform::SocketHandle s) {
    platform::CloseSocketHandle(m_AuxSocket.exchange(s));
    m_ThirdAdopted = true;
    if (m_CmdConnected.load() && m_IBConnected.load()) {
        m_CmdConnected = false;
        m_IBConnected = false;
    }
}

void SenderServer::CloseCommandAfterAnswer() {
    // The rejection still goes out: the session ends a moment after this
    // event's answer, on the adopter's worker, unless another connection
    // took its place meanwhile.
    const platform::SocketHandle connection = CommandChannel().GetSocket();
    const uint32_t peer = m_ConnectedPeer.load();
    auto end = [this, connection, peer] {
        if (CommandChannel().GetSocket() == connection && m_ConnectedPeer.load() == peer) {
            Logout();
        }
    };
    if (!m_Adopter.Post(kAnswerGraceMs, end)) {
        QK_LOGF(LOG_WARN, "OnLogin: the connection of %s could not be closed",
                platform::FormatIPv4(peer).c_str());
    }
}

int SenderServer::OnLogin(const std::string& password) {
    return OnLoginPassword(password);
}

int SenderServer::OnLoginPassword(const std::string& password) {
    QK_LOGF(LOG_DEBUG, "OnLogin pw:%s", Masked(password));
    const int type = m_LoginCodeType.load();
    const std::string code = GetLoginCode();
    // A random code that could not be made lets nobody in.
    const bool accepted =
        type == kNoLoginCode || (code.empty() && type != kRandomLoginCode) || password == code;
    if (!accepted) {
        const uint32_t address = m_ConnectedPeer.load();
        const LoginAttemptLimiter::Verdict verdict = m_Attempts.Wrong(address);
        QK_LOGF(LOG_NOTICE, "OnLogin: wrong code %s from %s", Masked(password),
                platform::FormatIPv4(address).c_str());
        if (verdict.refuseAddress) {
            QK_LOGF(LOG_WARN, "OnLogin: %s refused for %d s after %d wrong codes",
                    platform::FormatIPv4(address).c_str(), LoginAttemptLimiter::kWindowMs / 1000,
                    LoginAttemptLimiter::kAddressLimit);
        }
        if (verdict.closeConnection) {
            QK_LOGF(LOG_NOTICE, "OnLogin: connection of %s closed after %d wrong codes",
                    platform::FormatIPv4(address).c_str(), LoginAttemptLimiter::kConnectionLimit);
            CloseCommandAfterAnswer();
        }
        return 0;
    }
    if (int rc = ReadReceiverSetup(); rc < 0) {
        return rc;
    }
    const uint32_t key = LoginKey();
    const uint8_t* k = reinterpret_cast<const uint8_t*>(&key);
    QK_LOGF(LOG_DEBUG, "OnLogin Success pk:%02X%02X%02X%02X pw:%s", k[0], k[1], k[2], k[3],
            Masked(password));
    in_addr receiver{};
    receiver.s_addr = m_ConnectedPeer.load();
    SetPeerAddress(receiver.s_addr);
    m_ReceiverLoggedIn = true;
    OnLogin(&receiver);
    return 1;
}
