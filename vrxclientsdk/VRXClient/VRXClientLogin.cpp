// The facade's login sequence: the command ports, opening or adopting the
// command connection, identifying the receiver, the login itself (plain,
// extended or supervisor) and the reading of the receiver's set-up after it.
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace {

// Ports of the command channel that every login and identification tries.
constexpr uint16_t kCommandPorts[] = {3268, 389};
constexpr int kLoginTimeoutSeconds = 10;

// Image buffer sizes by the receiver's capabilities.
constexpr int kImageBufferLarge = 0x500000;
constexpr int kImageBufferMedium = 0x300000;
constexpr int kImageBufferSmall = 0x180000;

// The point-input type of a touch-capable sender, and what older receivers
// understand instead.
constexpr int kPointInputTouch = 30;
constexpr int kPointInputLegacy = 10;

// The login answer with which a receiver says someone else is logged in.
constexpr int kRefusedSpecial = 255;

}  // namespace

// ---------------------------------------------------------------------------
// ports and addresses

std::vector<uint16_t> VRXClient::FilterPorts(std::vector<uint16_t> ports) {
    std::vector<uint16_t> excluded;
    {
        std::lock_guard<std::mutex> guard(m_TextLock);
        excluded = m_NoBindingPorts;
    }
    std::erase_if(ports, [&](uint16_t port) {
        return port == 0 || std::find(excluded.begin(), excluded.end(), port) != excluded.end();
    });
    return ports;
}

std::vector<uint16_t> VRXClient::BuildCommandPorts(uint32_t ipv4, bool useDiscovery) {
    std::vector<uint16_t> ports(std::begin(kCommandPorts), std::end(kCommandPorts));
    if (useDiscovery) {
        std::lock_guard<std::mutex> guard(m_CacheLock);
        auto it = m_DiscoveryCache.find(ipv4);
        if (it != m_DiscoveryCache.end()) {
            const uint16_t announced = it->second.GetCommandPort();
            if (std::find(ports.begin(), ports.end(), announced) == ports.end()) {
                ports.insert(ports.begin(), announced);
            }
        }
    }
    std::sort(ports.begin(), ports.end());
    return FilterPorts(std::move(ports));
}

int VRXClient::ReadLocalAddress() {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(m_Cmd.GetSocket(), reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return -errno;
    }
    std::lock_guard<std::mutex> guard(m_RecordLock);
    m_LocalAddress = local;
    return 0;
}

int VRXClient::IdentifyReceiver() {
    if (int rc = ReadLocalAddress(); rc < 0) {
        m_Cmd.CloseConnect();
        return QK_ERROR(rc);
    }
    DevAnnounce record;
    if (int rc = m_Cmd.ConnectToDeviceThruIP(&record); rc < 0) {
        m_Cmd.SaveError();
        m_Cmd.CloseConnect();
        m_Cmd.RestoreError();
        CopyError(m_Cmd);
        return rc;
    }
    std::lock_guard<std::mutex> guard(m_RecordLock);
    m_DeviceRecord = record;
    return 0;
}

uint32_t VRXClient::LocalIPv4() {
    std::lock_guard<std::mutex> guard(m_RecordLock);
    return m_LocalAddress.sin_addr.s_addr;
}

void VRXClient::StoreCapabilities(const DeviceCapRecord& caps) {
    std::lock_guard<std::mutex> guard(m_RecordLock);
    m_CapRecord = caps;
}

DeviceCapRecord VRXClient::GetCapRecord() {
    std::lock_guard<std::mutex> guard(m_RecordLock);
    return m_CapRecord;
}

// ---------------------------------------------------------------------------
// sockets and login

int VRXClient::InitCmdSocket(platform::SocketHandle s) {
    QK_LOGF(LOG_INFO, "InitCmdSocket %d", s);
    OperationLock lock;
    if (int rc = TryOperationLock(lock); rc < 0) {
        platform::CloseSocketHandle(s);
        return rc;
    }
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const bool havePeer = ::getpeername(s, reinterpret_cast<sockaddr*>(&peer), &length) == 0;
    if (s != platform::kInvalidSocket && (!havePeer || peer.sin_addr.s_addr != m_PeerAddress)) {
        Logout();
    }
    if (GetStatus() != kVrxDisconnected) {
        // The connection in use stays; the offered one is not adopted.
        QK_LOGF(LOG_NOTICE, "InitCmdSocket: still connected, socket %d closed", s);
        platform::CloseSocketHandle(s);
        QK_CLEAR_ERROR();
        return kKeptConnection;
    }
    // The session's address is known before the channel's threads start, so
    // that an event the receiver sent with its connection sees it.
    const uint32_t address = havePeer ? peer.sin_addr.s_addr : 0;
    m_PeerAddress = address;
    OnAdoptingCommand(address);
    if (int rc = m_Cmd.InitSocket(s, false); rc < 0) {
        CopyError(m_Cmd);
        platform::CloseSocketHandle(s);
        m_PeerAddress = 0;
        return rc;
    }
    if (int rc = IdentifyReceiver(); rc < 0) {
        m_PeerAddress = 0;
        return rc;
    }
    return QK_CLEAR_ERROR();
}

int VRXClient::InitIBSocket(platform::SocketHandle s) {
    QK_LOGF(LOG_INFO, "InitIBSocket %d", s);
    OperationLock lock;
    if (int rc = TryOperationLock(lock); rc < 0) {
        platform::CloseSocketHandle(s);
        return rc;
    }
    platform::CloseSocketHandle(m_AcceptedIBSocket.exchange(s));
    return QK_CLEAR_ERROR();
}

int VRXClient::Login(uint32_t ipv4, const char* name, const char* password) {
    return LoginImpl(0, ipv4, name, password);
}

int VRXClient::SupervisorLogin(uint32_t ipv4, const char* password) {
    return LoginImpl(1, ipv4, "supervisor", password);
}

int VRXClient::LoginImpl(uint8_t type, uint32_t ipv4, const char* name, const char* password) {
    const std::string user = name ? name : "";
    const std::string code = password ? password : "";
    QK_LOGF(LOG_INFO, "LoginImpl %d %s %s", type, platform::FormatIPv4(ipv4).c_str(), user.c_str());
    OperationLock lock;
    if (int rc = TryOperationLock(lock); rc < 0) {
        return rc;
    }
    if (ipv4 != m_PeerAddress.load()) {
        Logout();
    }
    bool fresh = false;
    if (GetStatus() == kVrxDisconnected) {
        if (int rc =
                m_Cmd.OpenConnectAddr(ipv4, BuildCommandPorts(ipv4, true), kLoginTimeoutSeconds);
            rc < 0) {
            CopyError(m_Cmd);
            return rc;
        }
        if (int rc = IdentifyReceiver(); rc < 0) {
            return rc;
        }
        fresh = true;
    }
    return LoginOnChannel(type, ipv4, user, code, fresh);
}

int VRXClient::LoginOnChannel(uint8_t type, uint32_t ipv4, const std::string& name,
                              const std::string& password, bool fresh) {
    const DevAnnounce record = GetDeviceRecord();
    QK_LOGF(LOG_INFO, "Device Protocol Version 0x%02X 0x%02X",
            record.bytes[DevAnnounce::kVersionOffset],
            record.bytes[DevAnnounce::kVersionOffset + 1]);

    // Closes a connection that this login opened, keeping the error.
    auto closeFresh = [&] {
        if (fresh) {
            m_Cmd.SaveError();
            m_Cmd.CloseConnect();
            m_Cmd.RestoreError();
        }
    };

    std::string codeToSend = kDefaultLoginCode;
    if (type == 1) {
        const int rc = m_Cmd.SupervisorLogin(password);
        if (rc <= 0 || rc == kRefusedSpecial) {
            closeFresh();
            return LoginFailed(rc, name, password, __LINE__);
        }
        QK_LOGF(LOG_DEBUG, "SupervisorLogin accepted (%d): logging in with the default code", rc);
    } else if (record.GetCodeMode() == 0) {
        codeToSend = password;
    }

    if (!fresh) {
        // Still logged in to this receiver: nothing to send again.
        return QK_CLEAR_ERROR();
    }

    int rc = SendLogin(name, codeToSend);
    if (rc <= 0 || rc == kRefusedSpecial) {
        closeFresh();
        return LoginFailed(rc, name, password, __LINE__);
    }

    if (rc = ReadReceiverSetup(); rc < 0) {
        return rc;
    }
    m_PeerAddress = ipv4;
    return QK_CLEAR_ERROR();
}

int VRXClient::SendLogin(const std::string& name, const std::string& code) {
    if (!m_Cmd.IsProtocolAbove0122()) {
        return m_Cmd.Login(name, code);
    }
    int pointType = m_Identity.PointInputType();
    if (pointType == kPointInputTouch && !m_Cmd.IsProtocolAbove0126()) {
        pointType = kPointInputLegacy;
    }
    return m_Cmd.LoginEx(name, code, static_cast<uint8_t>(m_Identity.OSType()),
                         static_cast<uint8_t>(m_Identity.AppType()),
                         static_cast<uint8_t>(pointType), m_Identity.Sidebar(), kSdkVersion,
                         m_Identity.ProductId());
}

int VRXClient::ReadReceiverSetup() {
    DeviceCapRecord caps;
    if (int rc = m_Cmd.GetDeviceCap(&caps); rc < 0) {
        CopyError(m_Cmd);
        return rc;
    }
    {
        std::lock_guard<std::mutex> guard(m_RecordLock);
        m_CapRecord = caps;
    }
    m_IB.SetBufferSize(ImageBufferSizeForReceiver());
    if (m_Cmd.IsProtocolAbove011B()) {
        uint8_t key[4] = {};
        if (int rc = m_Cmd.GetKey(key); rc < 0) {
            CopyError(m_Cmd);
            return rc;
        }
        uint32_t stored = 0;
        std::memcpy(&stored, key, sizeof stored);
        m_Key = stored;
    }
    return 0;
}

int VRXClient::LoginFailed(int result, const std::string& name, const std::string& password,
                           int sourceLine) {
    if (result < 0) {
        CopyError(m_Cmd);
        return result;
    }
    if (result == 0) {
        return SetLoginRejected(name, password, sourceLine);
    }
    return QK_ERROR(qkerr::kAlreadyLoggedIn, name);
}

int VRXClient::SetLoginRejected(const std::string& name, const std::string& password,
                                int sourceLine) {
    // The caller's message keeps the password; the log line shows it masked.
    QKErrorHandler unlogged;
    unlogged.SetLogger(nullptr);
    unlogged.SetError(qkerr::kLoginRejected, __FILE__, sourceLine, name, password);
    CopyError(unlogged);
    if (Logger* logger = GetLogger()) {
        logger->Print(LOG_ERROR,
                      "ErrorCode=%d -> Login rejected. User name = %s, Password = %s [%s]",
                      qkerr::kLoginRejected, name.c_str(), password.empty() ? "" : "****",
                      GetErrorLocation().c_str());
    }
    return qkerr::kLoginRejected;
}

int VRXClient::ImageBufferSizeForReceiver() {
    if (m_Cmd.HasFbfBit80()) {
        return m_Cmd.HasFbf2Bit04() ? kImageBufferLarge : kImageBufferMedium;
    }
    return kImageBufferSmall;
}
