#include "vrxclientsdk/VRXClient/senderserver/SenderServer.h"

#include <arpa/inet.h>
#include <sys/random.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/socket.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
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
    if (!m_pSockSvr) {
        m_pSockSvr = std::make_shared<MySocketServer>(*this);
        m_pSockSvr->SetLogger(GetLogger());
    }
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
    switch (port) {
        case kCommandPort:
            // A receiver that is logged in keeps the sender to itself.
            if (m_ReceiverLoggedIn.load() && GetStatus() != kVrxDisconnected &&
                address != m_ConnectedPeer.load()) {
                QK_LOGF(LOG_NOTICE, "OnConnect: %s refused, %s is logged in",
                        platform::FormatIPv4(address).c_str(),
                        platform::FormatIPv4(m_ConnectedPeer.load()).c_str());
                break;
            }
            AdoptCommand(s, address);
            return;
        case kImagePort:
            if (address == m_ConnectedPeer.load() && address != 0) {
                AdoptImage(s);
                return;
            }
            break;
        case kThirdPort:
            if (address == m_ConnectedPeer.load() && address != 0) {
                AdoptThird(s);
                return;
            }
            break;
        default:
            break;
    }
    QK_LOGF(LOG_NOTICE, "OnConnect: connection from %s to port %d not adopted, closed",
            platform::FormatIPv4(address).c_str(), port);
    platform::CloseSocketHandle(s);
}

void SenderServer::AdoptCommand(platform::SocketHandle s, uint32_t peer) {
    // InitCmdSocket closes the socket itself when it fails.
    if (InitCmdSocket(s) < 0) {
        return;
    }
    m_ReceiverLoggedIn = false;
    // The capabilities decide whether a third connection follows the
    // image connection; the login reads them again.
    DeviceCapRecord caps;
    if (CommandChannel().GetDeviceCap(&caps) >= 0) {
        StoreCapabilities(caps);
    }
    m_CmdConnected = true;
    m_IBConnected = false;
    m_ConnectedPeer = peer;
}

void SenderServer::AdoptImage(platform::SocketHandle s) {
    InitIBSocket(s);
    if (!m_CmdConnected.load()) {
        return;
    }
    if (HasFbfBit20()) {
        // A third connection completes the set.
        m_IBConnected = true;
    } else {
        m_CmdConnected = false;
        m_IBConnected = false;
    }
}

void SenderServer::AdoptThird(platform::SocketHandle s) {
    platform::CloseSocketHandle(m_AuxSocket.exchange(s));
    if (m_CmdConnected.load() && m_IBConnected.load()) {
        m_CmdConnected = false;
        m_IBConnected = false;
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
