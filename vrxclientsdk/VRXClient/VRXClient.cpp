#include "vrxclientsdk/VRXClient/VRXClient.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <sys/utsname.h>

#include <algorithm>
#include <cassert>
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

std::string CutAtZero(const std::string& bytes) {
    return bytes.substr(0, bytes.find('\0'));
}

}  // namespace

VRXClient::VRXClient() : m_Cmd(*this), m_IB(*this) {
    SetCaptureParams(0, false, boost::logic::indeterminate, 1, boost::logic::indeterminate, true,
                     false, 0, true, 250, 30, 85, 0, 0, 0, 0, 0, 1.0, 0, 0, 0, 3);
    m_Identity.SetOSType(10);
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
#ifndef NDEBUG
    // A class derived from the facade must call Shutdown() first in its own
    // destructor: by the time this one runs, the channels' threads may have
    // called virtuals of the half-destroyed derived object.
    const std::type_info* usedAs = m_UsedAs.load();
    if (!m_ShutDown.load() && usedAs && *usedAs != typeid(VRXClient)) {
        std::fprintf(stderr, "VRXClient: %s was destroyed without calling Shutdown() first\n",
                     usedAs->name());
        assert(!"a class derived from VRXClient must call Shutdown() in its destructor");
    }
#endif
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
        m_Media.ScreenStream().Stop();
        m_Media.FileStream().Shutdown();
        platform::CloseSocketHandle(m_AcceptedIBSocket.exchange(platform::kInvalidSocket));
    });
}

// ---------------------------------------------------------------------------
// error object, logging, discovery

void VRXClient::SetLogger(Logger* logger) {
    QKErrorHandler::SetLogger(logger);
    m_Cmd.SetLogger(logger);
    m_IB.SetLogger(logger);
    m_Media.ScreenStream().SetLogger(logger);
    m_Media.FileStream().SetLogger(logger);
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
    int rc = probe.OpenConnectAddr(ipv4, BuildCommandPorts(ipv4, false), timeoutSeconds);
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
    m_Identity.SetAppType(type);
}

void VRXClient::SetOSType(int type) {
    QK_LOGF(LOG_INFO, "SetOSType %d", type);
    m_Identity.SetOSType(type);
}

void VRXClient::SetPointInputType(int type) {
    QK_LOGF(LOG_INFO, "SetPointInputType %d", type);
    m_Identity.SetPointInputType(type);
}

void VRXClient::SetSidebar(uint8_t sidebar) {
    QK_LOGF(LOG_INFO, "SetSidebar %d", sidebar);
    m_Identity.SetSidebar(sidebar);
}

void VRXClient::SetProductID(const char* productId) {
    // Exactly 8 bytes go on the wire; a shorter text is padded with zeros
    // rather than read past its end.
    const std::string shown = m_Identity.SetProductId(productId);
    QK_LOGF(LOG_INFO, "SetProductID %s", shown.c_str());
}

// ---------------------------------------------------------------------------
// locks, ports and addresses

int VRXClient::TryOperationLock(OperationLock& lock) {
    // Operations run on a whole object: what it is then is what its
    // destruction must shut down (see ~VRXClient).
    m_UsedAs.store(&typeid(*this));
    lock = OperationLock(m_OperationLock, boost::try_to_lock);
    if (!lock.owns_lock() || IsBusy()) {
        if (lock.owns_lock()) {
            lock.unlock();
        }
        return QK_ERROR(qkerr::kBusy);
    }
    return 0;
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
// screen and status (the media operations are in VRXClientMedia.cpp, the
// volume, the port test and the display in VRXClientStatus.cpp)

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
        return m_Media.ScreenStream().IsRunning() ? kVrxScreenStream : kVrxMediaPlaying;
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
    if (m_Settings.PreBufTime() > 0 && !m_Cmd.IsProtocolAbove0120()) {
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
    m_Media.FileStream().Shutdown();
    m_Media.Clear();
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
