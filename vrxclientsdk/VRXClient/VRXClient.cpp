#include "vrxclientsdk/VRXClient/VRXClient.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <sys/utsname.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "vrxclientsdk/VRPClient/CmdCodes.h"
#include "vrxclientsdk/VRPClient/DeviceDiscovery.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/ActivityMonitor.h"
#include "vrxclientsdk/VRXClient/media/VideoFileStream.h"
#include "vrxclientsdk/VRXClient/media/VideoScreenStream.h"

namespace {

// Ports of the command channel that every login tries.
constexpr uint16_t kCommandPorts[] = {3268, 389};
constexpr int kLoginTimeoutSeconds = 10;

// Image buffer sizes by the receiver's capabilities.
constexpr int kImageBufferLarge = 0x500000;
constexpr int kImageBufferMedium = 0x300000;
constexpr int kImageBufferSmall = 0x180000;

// Limits of the forwarded settings.
constexpr int kMinJpegQuality = 1;
constexpr int kMaxJpegQuality = 100;
constexpr double kMinCursorScale = 1.0;
constexpr double kMaxCursorScale = 4.0;

// The point-input type of a touch-capable sender, and what older receivers
// understand instead.
constexpr int kPointInputTouch = 30;
constexpr int kPointInputLegacy = 10;

constexpr int kRefusedSpecial = 255;

const char* TriboolText(boost::logic::tribool value) {
    if (value) {
        return "true";
    }
    if (!value) {
        return "false";
    }
    return "indeterminate";
}

int TriboolToInt(boost::logic::tribool value) {
    return value ? 1 : (!value ? 0 : 2);
}

std::string CutAtZero(const std::string& bytes) {
    return bytes.substr(0, bytes.find('\0'));
}

}  // namespace

VRXClient::VRXClient()
    : m_Cmd(*this),
      m_IB(*this),
      m_pScreenStream(std::make_unique<VideoScreenStream>()),
      m_pFileStream(std::make_unique<VideoFileStream>()) {
    SetCaptureParams(0, false, boost::logic::indeterminate, 1, boost::logic::indeterminate, true,
                     false, 0, true, 250, 30, 85, 0, 0, 0, 0, 0, 1.0, 0, 0, 0, 3);
    m_OSType = 10;
    m_CapRecord.bpp = 16;
    // Library logging is on only when its file already exists. Every client
    // appends, so that one client never cuts another's lines.
    if (FILE* probe = std::fopen(kLibraryLogName, "r")) {
        std::fclose(probe);
        SetLog(kLibraryLogName, LOG_DEBUG, true);
    }
    SetDXEMode(1);
    SetProductID("ZYLSDK");
}

VRXClient::~VRXClient() {
    Shutdown();
}

void VRXClient::Shutdown() {
    std::call_once(m_ShutdownOnce, [this] {
        m_ShutDown = true;
        // The re-sync worker and the idle monitor use the facade's members:
        // both let go of it before anything is torn down.
        m_Cmd.StopResync();
        Logout();
        ActivityMonitorRemoveClient(this);
        QK_LOGF(LOG_INFO, "======== End VRXClient Log ========");
        // Without the operation lock: an event waiting for it gives up once
        // its connection is closed, and the channels' threads are joined here.
        m_Cmd.ShutdownConnection();
        m_IB.Stop(false);
        m_IB.ShutdownConnection();
        m_pScreenStream->Stop();
        m_pFileStream->Shutdown();
        platform::CloseSocketHandle(m_AcceptedIBSocket.exchange(platform::kInvalidSocket));
    });
}

// ---------------------------------------------------------------------------
// error object, logging, discovery

void VRXClient::SetLogger(Logger* logger) {
    QKErrorHandler::SetLogger(logger);
    m_Cmd.SetLogger(logger);
    m_IB.SetLogger(logger);
    m_pScreenStream->SetLogger(logger);
    m_pFileStream->SetLogger(logger);
}

int VRXClient::SetLog(const char* path, int level, bool append) {
    std::lock_guard<std::mutex> guard(m_LogLock);
    if (m_OwnLogger.IsEnabled(LOG_FATAL)) {
        return 0;
    }
    level = std::clamp(level, 0, static_cast<int>(LOG_DEBUG));
    if (m_OwnLogger.Open(path, level, append) != 0 && path) {
        return QK_ERROR(qkerr::kCreateLogFile, path);
    }
    SetLogger(&m_OwnLogger);
    QK_LOGF(LOG_INFO, "======== Begin VRXClient Log ========");
    QK_LOGF(LOG_INFO, "VRX Client SDK Version: %d stb", static_cast<int>(kSdkVersion));
    QK_LOGF(LOG_INFO, "This program is compiled on %s %s", __DATE__, __TIME__);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[16];
    std::snprintf(date, sizeof date, "%4hd/%02hd/%02hd", static_cast<short>(local.tm_year + 1900),
                  static_cast<short>(local.tm_mon + 1), static_cast<short>(local.tm_mday));
    QK_LOGF(LOG_INFO, "This log file is created on %s", date);
    // The running system's version: the kernel's numbers and its name.
    utsname system{};
    int major = 0, minor = 0, build = 0;
    if (uname(&system) == 0 &&
        std::sscanf(system.release, "%d.%d.%d", &major, &minor, &build) >= 2) {
        QK_LOGF(LOG_INFO, "Windows version: %d.%d.%d %d %s", major, minor, build, 0,
                system.sysname);
    } else {
        QK_LOGF(LOG_NOTICE, "SetLog GetVersionEx failed");
    }
    return 0;
}

int VRXClient::DeviceDiscover(std::vector<DevAnnounce>& result, const std::atomic<bool>* cancel,
                              bool firstOnly, uint16_t firstPort, uint16_t lastPort,
                              int timeoutSeconds) {
    if (m_Discovering.exchange(true)) {
        return 0;
    }
    struct Done {
        std::atomic<bool>& flag;
        ~Done() { flag = false; }
    } done{m_Discovering};
    BusyScope busy(*this);
    QK_LOGF(LOG_DEBUG, "DeviceDiscover %d", firstOnly ? 1 : 0);
    result.clear();
    {
        std::lock_guard<std::mutex> guard(m_CacheLock);
        m_DiscoveryCache.clear();
    }
    // The run keeps its error on an object of its own, so that it never
    // clobbers the error of a request running on the command channel.
    QKErrorHandler runErrors;
    runErrors.SetLogger(GetLogger());
    DeviceDiscovery discovery(runErrors);
    const int rc =
        discovery.DeviceDiscover(result, cancel, firstOnly, firstPort, lastPort, timeoutSeconds);
    if (rc < 0) {
        CopyError(runErrors);
        return rc;
    }
    {
        std::lock_guard<std::mutex> guard(m_CacheLock);
        for (const DevAnnounce& record : result) {
            m_DiscoveryCache[record.GetIPv4()] = record;
        }
    }
    return QK_CLEAR_ERROR();
}

int VRXClient::ConnectToDeviceThruIP(uint32_t ipv4, DevAnnounce* out, int timeoutSeconds) {
    QK_LOGF(LOG_INFO, "ConnectToDeviceThruIP %s %d", platform::FormatIPv4(ipv4).c_str(),
            timeoutSeconds);
    if (!out) {
        return QK_ERROR(qkerr::kInitObject, "ConnectToDeviceThruIP: no record");
    }
    if (m_Cmd.IsConnected() && ipv4 == m_PeerAddress.load()) {
        const int rc = m_Cmd.ConnectToDeviceThruIP(out);
        CopyError(m_Cmd);
        return rc < 0 ? rc : QK_CLEAR_ERROR();
    }
    CmdClient probe;
    probe.SetLogger(GetLogger());
    std::vector<uint16_t> ports(std::begin(kCommandPorts), std::end(kCommandPorts));
    std::sort(ports.begin(), ports.end());
    int rc = probe.OpenConnectAddr(ipv4, FilterPorts(ports), timeoutSeconds);
    if (rc >= 0) {
        rc = probe.ConnectToDeviceThruIP(out);
        probe.SaveError();
        probe.CloseConnect();
        probe.RestoreError();
    }
    CopyError(probe);
    return rc < 0 ? rc : QK_CLEAR_ERROR();
}

DevAnnounce VRXClient::GetDeviceRecord() {
    std::lock_guard<std::mutex> guard(m_RecordLock);
    return m_DeviceRecord;
}

// ---------------------------------------------------------------------------
// identity settings

void VRXClient::SetAppType(int type) {
    QK_LOGF(LOG_INFO, "SetAppType %d", type);
    m_AppType = type;
}

void VRXClient::SetOSType(int type) {
    QK_LOGF(LOG_INFO, "SetOSType %d", type);
    m_OSType = type;
}

void VRXClient::SetPointInputType(int type) {
    QK_LOGF(LOG_INFO, "SetPointInputType %d", type);
    m_PointInputType = type;
}

void VRXClient::SetSidebar(uint8_t sidebar) {
    QK_LOGF(LOG_INFO, "SetSidebar %d", sidebar);
    m_Sidebar = sidebar;
}

void VRXClient::SetProductID(const char* productId) {
    // Exactly 8 bytes go on the wire; a shorter text is padded with zeros
    // rather than read past its end.
    std::string id(cmd::kProductIdField, '\0');
    if (productId) {
        const size_t length = strnlen(productId, cmd::kProductIdField);
        std::memcpy(id.data(), productId, length);
    }
    QK_LOGF(LOG_INFO, "SetProductID %s", CutAtZero(id).c_str());
    std::lock_guard<std::mutex> guard(m_TextLock);
    m_ProductId = id;
}

// ---------------------------------------------------------------------------
// locks, ports and addresses

int VRXClient::TryOperationLock(OperationLock& lock) {
    lock = OperationLock(m_OperationLock, boost::try_to_lock);
    if (!lock.owns_lock() || IsBusy()) {
        if (lock.owns_lock()) {
            lock.unlock();
        }
        return QK_ERROR(qkerr::kBusy);
    }
    return 0;
}

int VRXClient::NotAvailable(const char* operation, const char* sourcePath, int sourceLine) {
    return SetError(qkerr::kInitObject, sourcePath, sourceLine,
                    std::string(operation) + " is not available in this build");
}

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
        return QK_CLEAR_ERROR();
    }
    if (int rc = m_Cmd.InitSocket(s, false); rc < 0) {
        CopyError(m_Cmd);
        platform::CloseSocketHandle(s);
        return rc;
    }
    if (int rc = IdentifyReceiver(); rc < 0) {
        return rc;
    }
    m_PeerAddress = havePeer ? peer.sin_addr.s_addr : 0;
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
        }
        if (rc < 0) {
            CopyError(m_Cmd);
            return rc;
        }
        if (rc == 0) {
            return SetLoginRejected(name, password, __LINE__);
        }
        if (rc == kRefusedSpecial) {
            return QK_ERROR(qkerr::kAlreadyLoggedIn, name);
        }
        QK_LOGF(LOG_DEBUG, "SupervisorLogin accepted (%d): logging in with the default code", rc);
    } else if (record.GetCodeMode() == 0) {
        codeToSend = password;
    }

    if (!fresh) {
        // Still logged in to this receiver: nothing to send again.
        return QK_CLEAR_ERROR();
    }

    int rc;
    if (m_Cmd.IsProtocolAbove0122()) {
        int pointType = m_PointInputType.load();
        if (pointType == kPointInputTouch && !m_Cmd.IsProtocolAbove0126()) {
            pointType = kPointInputLegacy;
        }
        std::string productId;
        {
            std::lock_guard<std::mutex> guard(m_TextLock);
            productId = m_ProductId;
        }
        rc = m_Cmd.LoginEx(name, codeToSend, static_cast<uint8_t>(m_OSType.load()),
                           static_cast<uint8_t>(m_AppType.load()), static_cast<uint8_t>(pointType),
                           m_Sidebar.load(), kSdkVersion, productId);
    } else {
        rc = m_Cmd.Login(name, codeToSend);
    }
    if (rc <= 0 || rc == kRefusedSpecial) {
        closeFresh();
        if (rc < 0) {
            CopyError(m_Cmd);
            return rc;
        }
        if (rc == 0) {
            return SetLoginRejected(name, password, __LINE__);
        }
        return QK_ERROR(qkerr::kAlreadyLoggedIn, name);
    }

    if (rc = ReadReceiverSetup(); rc < 0) {
        return rc;
    }
    m_PeerAddress = ipv4;
    return QK_CLEAR_ERROR();
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

// ---------------------------------------------------------------------------
// requests

void VRXClient::SetIgnoreNCC(bool ignore) {
    m_Cmd.SetIgnoreNCC(ignore);
}

bool VRXClient::GetIgnoreNCC() {
    return m_Cmd.GetIgnoreNCC();
}

int VRXClient::GetDeviceStatus(uint8_t* status) {
    OperationLock lock;
    if (int rc = TryOperationLock(lock); rc < 0) {
        return rc;
    }
    if (!status) {
        return QK_ERROR(qkerr::kInitObject, "GetDeviceStatus: no status buffer");
    }
    m_Cmd.GetDeviceStatus(status);
    CopyError(m_Cmd);
    return GetErrorCode();
}

int VRXClient::GetSenderCount() {
    OperationLock lock;
    if (int rc = TryOperationLock(lock); rc < 0) {
        return rc;
    }
    if (!m_Cmd.IsProtocolAbove0127()) {
        return QK_ERROR(qkerr::kReceiverTooOld, "GetSenderCount");
    }
    const int rc = m_Cmd.GetSenderCount();
    CopyError(m_Cmd);
    return rc;
}

int VRXClient::GetValue(const std::string& key, std::string* value) {
    OperationLock lock;
    if (int rc = TryOperationLock(lock); rc < 0) {
        return rc;
    }
    std::string answer;
    m_Cmd.GetValue(key, &answer, cmd::kRequestTimeout);
    CopyError(m_Cmd);
    if (value && GetErrorCode() >= 0) {
        *value = CutAtZero(answer);
    }
    return GetErrorCode();
}

int VRXClient::ChangeValue(const std::string& name, const std::string& value, int timeoutSeconds) {
    OperationLock lock;
    if (int rc = TryOperationLock(lock); rc < 0) {
        return rc;
    }
    const int rc = m_Cmd.ChangeValue(name, value, timeoutSeconds);
    CopyError(m_Cmd);
    if (rc == 0) {
        return QK_ERROR(qkerr::kChangeValue, name, value);
    }
    return rc;
}

int VRXClient::ForwardMessageStr(uint32_t id, uint32_t size, const void* data) {
    OperationLock lock;
    if (int rc = TryOperationLock(lock); rc < 0) {
        return rc;
    }
    if (!m_Cmd.IsProtocolAbove011E()) {
        return QK_ERROR(qkerr::kReceiverTooOld, "ForwardMessageStr");
    }
    if (!data && size > 0) {
        return QK_ERROR(qkerr::kInitObject, "ForwardMessageStr: no data");
    }
    ByteString unused;
    const int rc = m_Cmd.ForwardMessage(id, size, data, &unused, true);
    CopyError(m_Cmd);
    return rc;
}

int VRXClient::ForwardMessage(uint32_t id, uint32_t size, const void* data, ByteString* reply) {
    OperationLock lock;
    if (int rc = TryOperationLock(lock); rc < 0) {
        return rc;
    }
    if (!m_Cmd.IsProtocolAbove011E()) {
        return QK_ERROR(qkerr::kReceiverTooOld, "ForwardMessage");
    }
    if ((!data && size > 0) || !reply) {
        return QK_ERROR(qkerr::kInitObject, "ForwardMessage: no data or reply");
    }
    const int rc = m_Cmd.ForwardMessage(id, size, data, reply, false);
    CopyError(m_Cmd);
    return rc;
}

int VRXClient::ForwardMessageText(uint32_t id, const std::string& text, std::string* reply) {
    ByteString answer;
    const int rc = ForwardMessage(id, static_cast<uint32_t>(text.size()), text.data(), &answer);
    if (reply) {
        *reply = rc < 0 ? std::string() : CutAtZero(answer);
    }
    return rc;
}

// ---------------------------------------------------------------------------
// capture settings

void VRXClient::SetCaptureParams(CaptureWindow window, bool alpha32, boost::logic::tribool cursor,
                                 int enlarge, boost::logic::tribool aspect, bool windowFlag,
                                 bool capLayer, int format16, bool scaler, int maxFrameTime,
                                 int maxFps, int jpegQuality, int screen, int coding, int deOverX,
                                 int deOverY, uint16_t preBufTime, double cursorScale,
                                 uint8_t demandScaler, int rotation, int queueOffset,
                                 int slidesPeriod) {
    SetWindowCapture(window, windowFlag);
    Set32BppAlpha(alpha32);
    SetCursorMode(cursor);
    SetEnlargeFactor(enlarge);
    SetAspectRatio(aspect);
    SetCapLayer(capLayer);
    Set16BitFormat(format16);
    SetImageScaler(scaler);
    SetMaxFrameTime(maxFrameTime);
    SetMaxFPS(maxFps);
    SetJpegQuality(jpegQuality);
    SetScreenCapture(screen);
    SetImageCoding(coding);
    SetDeOverscanOffset(deOverX, deOverY);
    SetPreBufTime(preBufTime);
    SetCursorScale(cursorScale);
    SetDemandScaler(demandScaler);
    SetRotation(rotation);
    SetIbQueueSizeOffset(queueOffset);
    SetWebSlidesPeriod(slidesPeriod);
}

void VRXClient::SetWindowCapture(CaptureWindow window, bool clientAreaOnly) {
    QK_LOGF(LOG_INFO, "SetWindowCapture %d %d", static_cast<int>(window), clientAreaOnly ? 1 : 0);
    m_Window = window;
    m_WindowFlag = clientAreaOnly;
}

void VRXClient::Set32BppAlpha(bool on) {
    QK_LOGF(LOG_INFO, "Set32BppAlpha %d", on ? 1 : 0);
    m_Alpha32 = on;
}

void VRXClient::SetCursorMode(boost::logic::tribool mode) {
    QK_LOGF(LOG_INFO, "SetCursorMode %s", TriboolText(mode));
    m_CursorMode = TriboolToInt(mode);
    if (GetStatus() == kVrxProjecting) {
        const bool draw = boost::logic::indeterminate(mode) ? !m_Cmd.HasFbf2Bit40() : bool(mode);
        m_IB.SetCursorMode(draw);
    }
}

void VRXClient::SetEnlargeFactor(int factor) {
    QK_LOGF(LOG_INFO, "SetEnlargeFactor %d", factor);
    factor = std::max(factor, 1);
    m_EnlargeFactor = factor;
    m_EnlargeFactorF = static_cast<float>(factor);
}

void VRXClient::SetAspectRatio(boost::logic::tribool keep) {
    QK_LOGF(LOG_INFO, "SetAspectRatio %s", TriboolText(keep));
    m_AspectRatio = TriboolToInt(keep);
}

void VRXClient::SetCapLayer(bool on) {
    QK_LOGF(LOG_INFO, "SetCapLayer %d", on ? 1 : 0);
    m_IB.SetCapLayer(on);
}

void VRXClient::Set16BitFormat(int format) {
    QK_LOGF(LOG_INFO, "Set16BitFormat %d", format);
    m_Format16 = format;
}

void VRXClient::SetImageScaler(bool on) {
    QK_LOGF(LOG_INFO, "SetImageScaler %d", on ? 1 : 0);
    m_ImageScaler = on;
}

void VRXClient::SetMaxFrameTime(int ms) {
    QK_LOGF(LOG_INFO, "SetMaxFrameTime %d", ms);
    m_IB.SetMaxFrameTime(ms);
}

void VRXClient::SetMaxFPS(int fps) {
    QK_LOGF(LOG_INFO, "SetMaxFPS %d", fps);
    m_IB.SetMaxFPS(fps);
}

void VRXClient::SetJpegQuality(int quality) {
    QK_LOGF(LOG_INFO, "SetJpegQuality %d", quality);
    quality = std::clamp(quality, kMinJpegQuality, kMaxJpegQuality);
    m_JpegQuality = quality;
    m_IB.SetJpegQuality(quality);
}

void VRXClient::SetScreenCapture(int screen) {
    QK_LOGF(LOG_INFO, "SetScreenCapture %d", screen);
    m_Screen = screen;
}

void VRXClient::SetImageCoding(int coding) {
    QK_LOGF(LOG_INFO, "SetImageCoding %d", coding);
    m_ImageCoding = coding;
}

void VRXClient::SetDeOverscanOffset(int x, int y) {
    QK_LOGF(LOG_INFO, "SetDeOverscanOffset %d %d", x, y);
    m_DeOverscanX = std::max(x, 0);
    m_DeOverscanY = std::max(y, 0);
}

void VRXClient::SetPreBufTime(uint16_t ms) {
    QK_LOGF(LOG_INFO, "SetPreBufTime %d", ms);
    m_PreBufTime = ms;
}

void VRXClient::SetCursorScale(double scale) {
    QK_LOGF(LOG_INFO, "SetCursorScale %0.2f", scale);
    scale =
        std::isnan(scale) ? kMinCursorScale : std::clamp(scale, kMinCursorScale, kMaxCursorScale);
    m_CursorScale = scale;
    m_IB.SetCursorScale(scale);
}

void VRXClient::SetDemandScaler(uint8_t scaler) {
    QK_LOGF(LOG_INFO, "SetDemandScaler %d", scaler);
    m_DemandScaler = scaler;
}

void VRXClient::SetRotation(int rotation) {
    QK_LOGF(LOG_INFO, "SetRotation %d", rotation);
    m_Rotation = rotation;
}

void VRXClient::SetIbQueueSizeOffset(int offset) {
    QK_LOGF(LOG_INFO, "SetIbQueueSizeOffset %d", offset);
    m_IB.SetAckWindowExtra(offset);
}

void VRXClient::SetWebSlidesPeriod(int seconds) {
    QK_LOGF(LOG_INFO, "SetWebSlidesPeriod %d", seconds);
    m_IB.SetKeyFrameInterval(seconds);
}

// ---------------------------------------------------------------------------
// capability tests

bool VRXClient::HasFbfBit08NoFbf2Bit02() {
    return m_Cmd.HasFbfBit08NoFbf2Bit02();
}

bool VRXClient::HasFbfBit10() {
    return m_Cmd.HasFbfBit10();
}

bool VRXClient::HasFbfBit20() {
    return m_Cmd.HasFbfBit20();
}

bool VRXClient::IsH264Supported() {
    std::lock_guard<std::mutex> guard(m_RecordLock);
    const auto& codings = m_CapRecord.codings;
    return std::find(codings.begin(), codings.end(), 7) != codings.end();
}

bool VRXClient::IsJpegSupported() {
    std::lock_guard<std::mutex> guard(m_RecordLock);
    const auto& codings = m_CapRecord.codings;
    return std::find(codings.begin(), codings.end(), 4) != codings.end();
}

bool VRXClient::HasFbf2Bit08() {
    return m_Cmd.HasFbf2Bit08();
}

// ---------------------------------------------------------------------------
// screen, media, volume and status. The media operations belong to the media
// part of the facade; until then they fail with a clear code and the stops
// succeed when nothing plays.

int VRXClient::RefreshScreenImage() {
    const int status = GetStatus();
    QK_LOGF(LOG_INFO, "RefreshScreenImage %d", status);
    if (status == kVrxDisconnected) {
        return QK_ERROR(qkerr::kDisconnected);
    }
    if (status == kVrxProjecting || status == kVrxPaused) {
        m_IB.RefreshScreenImage();
    }
    return QK_CLEAR_ERROR();
}

void VRXClient::SetCursorPosition(CapturePoint* point) {
    if (!point) {
        return;
    }
    QK_LOGF(LOG_INFO, "SetCursorPosition (%d,%d)", point->x, point->y);
    m_IB.SetCursorPosition(point);
}

int VRXClient::GetDeviceResolution(int* width, int* height) {
    if (GetStatus() == kVrxDisconnected) {
        return QK_ERROR(qkerr::kDisconnected);
    }
    const bool image = m_Cmd.HasFbfBit08();
    std::lock_guard<std::mutex> guard(m_RecordLock);
    if (width) {
        *width = image ? m_CapRecord.iw : m_CapRecord.w;
    }
    if (height) {
        *height = image ? m_CapRecord.ih : m_CapRecord.h;
    }
    return 0;
}

uint8_t VRXClient::GetDeviceBpp() {
    std::lock_guard<std::mutex> guard(m_RecordLock);
    return m_CapRecord.bpp;
}

int VRXClient::GetMaxVolLevel() {
    std::lock_guard<std::mutex> guard(m_RecordLock);
    return m_CapRecord.max_vol;
}

int VRXClient::GetMuteState() {
    return m_Cmd.GetMuteState();
}

uint8_t* VRXClient::GetBufferAddress() {
    return m_CapRecord.trailer.data();
}

int VRXClient::PlayVideoFileW(const wchar_t* path, bool findPort, int transcode) {
    if (!path) {
        return QK_ERROR(qkerr::kFileNotExist, "(null)");
    }
    return PlayVideoFileW(std::wstring(path), findPort, transcode);
}

int VRXClient::PlayAudioFileW(const wchar_t* path, bool findPort) {
    if (!path) {
        return QK_ERROR(qkerr::kFileNotExist, "(null)");
    }
    return PlayAudioFileW(std::wstring(path), findPort);
}

bool VRXClient::IsGetMediaProgress() {
    QK_LOGF(LOG_INFO, "IsGetMediaProgress");
    return m_Cmd.HasFbfBit02();
}

void VRXClient::SetVideoFileRepeat(bool repeat) {
    QK_LOGF(LOG_INFO, "SetVideoFileRepeat %d", repeat ? 1 : 0);
    m_VideoRepeat = repeat;
}

bool VRXClient::GetVideoFileRepeat() {
    return m_VideoRepeat.load();
}

void VRXClient::StopAll() {
    QK_LOGF(LOG_INFO, "StopAll");
    boost::lock_guard<boost::recursive_timed_mutex> lock(m_OperationLock);
    if (IsBusy()) {
        return;
    }
    QK_LOGF(LOG_DEBUG, "StopTheOthers %d", 3);
    StopPlayImage();
    StopK7RM();
    StopVideoFile();
}

int VRXClient::GetStatus() {
    if (!m_Cmd.IsConnected()) {
        return kVrxDisconnected;
    }
    const uint32_t state = m_Cmd.GetPlayState();
    if (state == kPlayMedia) {
        return m_pScreenStream->IsRunning() ? kVrxScreenStream : kVrxMediaPlaying;
    }
    if (state == kPlayMediaPaused) {
        return kVrxMediaPaused;
    }
    const int image = m_IB.GetState();
    if (image != 0 && image != kVrxDisconnected) {
        return image;
    }
    return static_cast<int>(state);
}

int VRXClient::GetFrameCount() {
    return m_IB.GetFrameCount();
}

double VRXClient::GetBytesSent() {
    return m_IB.GetBytesSent();
}

int VRXClient::GetNetQuality() {
    if (m_PreBufTime.load() > 0 && !m_Cmd.IsProtocolAbove0120()) {
        return QK_ERROR(qkerr::kPrebufNetworkQuality);
    }
    const int score = m_IB.GetLinkScore();
    QK_LOGF(LOG_INFO, "GetNetQuality %d", score);
    return score;
}

void VRXClient::Logout() {
    QK_LOGF(LOG_INFO, "Logout %d", GetStatus());
    boost::lock_guard<boost::recursive_timed_mutex> lock(m_OperationLock);
    if (IsBusy()) {
        return;
    }
    m_IB.CloseConnect();
    QK_LOGF(LOG_DEBUG, "StopTheOthers %d", 3);
    StopPlayImage();
    StopK7RM();
    StopVideoFile();
    m_Cmd.CloseConnect();
    m_pFileStream->Shutdown();
    ClearMediaState();
    m_PeerAddress = 0;
}

bool VRXClient::IsBusy() {
    return m_Cmd.IsRequestPending() || m_Cmd.IsAnswerPending() || m_BusyCount.load() > 0 ||
           m_IB.IsRequestPending() || m_IB.IsAnswerPending();
}

// ---------------------------------------------------------------------------
// callbacks: the application overrides them

void VRXClient::OnStartPlayImage(const ByteString&) {}
void VRXClient::OnStopPlayImage(const ByteString&) {}
void VRXClient::OnChangeValue(const std::string&, const std::string&) {}
void VRXClient::OnDeviceNotice(uint8_t) {}
void VRXClient::OnRelayCommand(const ByteString&) {}
void VRXClient::OnPointerPosition(uint16_t, uint16_t) {}
void VRXClient::OnSidebar(uint8_t) {}
void VRXClient::OnForwardMessage(uint32_t, uint32_t, const uint8_t*, ByteString&) {}
void VRXClient::OnConnectClose() {}
void VRXClient::OnSendIBError() {}
void VRXClient::OnImageAck(uint32_t) {}

void VRXClient::SetNoBindingPort(const std::vector<uint16_t>& ports) {
    QK_LOGF(LOG_INFO, "SetNoBindingPort %d", static_cast<int>(ports.size()));
    std::lock_guard<std::mutex> guard(m_TextLock);
    m_NoBindingPorts = ports;
}

int VRXClient::OnLogin(const std::string& loginCode) {
    // The code itself never goes to the log.
    QK_LOGF(LOG_INFO, "OnLogin %s", loginCode.empty() ? "" : "****");
    return 1;
}
