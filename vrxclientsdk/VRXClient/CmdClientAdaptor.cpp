#include "vrxclientsdk/VRXClient/CmdClientAdaptor.h"

#include <cstring>

#include "platform/clock.h"
#include "platform/syserror.h"
#include "platform/thread.h"
#include "vrxclientsdk/VRPClient/CmdCodes.h"
#include "vrxclientsdk/VRXClient/ProjectionRules.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace {

// How long one wait for the facade's lock lasts before the connection is
// checked again.
constexpr int kStepMs = 30;

// The stop-video answer that asks the receiver to play the file again.
constexpr uint8_t kStopVideoAnswer = cmd::kEvStopVideo + 1;
constexpr uint8_t kRepeatPlay = 2;

uint8_t FirstByte(const ByteString& payload) {
    return payload.empty() ? 0 : static_cast<uint8_t>(payload[0]);
}

// A 32-byte field of the change-value event as text, up to its first zero.
std::string FieldText(const uint8_t* field) {
    const void* end = std::memchr(field, 0, 32);
    const size_t length = end ? static_cast<size_t>(static_cast<const uint8_t*>(end) - field) : 32;
    return std::string(reinterpret_cast<const char*>(field), length);
}

}  // namespace

CmdClientAdaptor::~CmdClientAdaptor() {
    StopResync();
    ShutdownConnection();
}

bool CmdClientAdaptor::LockFacade(FacadeLock& lock) {
    lock = FacadeLock(m_facade.m_OperationLock, boost::defer_lock);
    while (!lock.try_lock_for(boost::chrono::milliseconds(kStepMs))) {
        if (!IsRunning() || m_facade.IsShuttingDown()) {
            QK_LOGF(LOG_NOTICE, "Event dropped: the connection closed while it waited");
            return false;
        }
    }
    return true;
}

void CmdClientAdaptor::OnConnectClose() {
    boost::recursive_mutex::scoped_lock guard(m_facade.m_ConnectionLock);
    CmdClient::OnConnectClose();
    if (m_facade.IsShuttingDown()) {
        return;
    }
    // The loss of a connection the facade still counts as its login: log
    // out (which must not overwrite the reason of the loss) and tell the
    // application.
    // Wait for the facade like an event does; a connection that a new login
    // has opened meanwhile makes this loss stale.
    FacadeLock lock(m_facade.m_OperationLock, boost::defer_lock);
    while (!lock.try_lock_for(boost::chrono::milliseconds(kStepMs))) {
        if (m_facade.IsShuttingDown() || LossIsStale()) {
            return;
        }
    }
    // Connections start under the facade's lock: unless one started while
    // this waited, none does before the logout below.
    if (LossIsStale()) {
        return;
    }
    SaveError();
    m_facade.Logout();
    RestoreError();
    m_facade.CopyError(*this);
    m_facade.OnConnectClose();
}

int CmdClientAdaptor::OnLogin(const std::string& loginCode) {
    FacadeLock lock;
    if (!LockFacade(lock)) {
        return -1;
    }
    m_facade.m_InEvent = true;
    CmdClient::OnLogin(loginCode);
    const int result = m_facade.OnLogin(loginCode);
    m_facade.m_InEvent = false;
    return result;
}

int CmdClientAdaptor::OnStartPlayImage(const ByteString& payload) {
    FacadeLock lock;
    if (!LockFacade(lock)) {
        return -1;
    }
    m_facade.m_InEvent = true;
    CmdClient::OnStartPlayImage(payload);
    m_facade.StartPlayImage(FirstByte(payload));
    m_facade.m_InEvent = false;
    m_facade.OnStartPlayImage(payload);
    return FirstByte(payload);
}

int CmdClientAdaptor::OnStopPlayImage(const ByteString& payload) {
    FacadeLock lock;
    if (!LockFacade(lock)) {
        return -1;
    }
    CmdClient::OnStopPlayImage(payload);
    m_facade.StopPlayImage();
    m_facade.OnStopPlayImage(payload);
    return 1;
}

int CmdClientAdaptor::OnChangeValue(const uint8_t* key, const uint8_t* value) {
    const int result = CmdClient::OnChangeValue(key, value);
    m_facade.OnChangeValue(FieldText(key), FieldText(value));
    return result;
}

int CmdClientAdaptor::OnDeviceNotice(const ByteString& payload) {
    const int result = CmdClient::OnDeviceNotice(payload);
    m_facade.OnDeviceNotice(FirstByte(payload));
    return result;
}

int CmdClientAdaptor::OnStopVideo(uint8_t reason, const std::string& url, const uint8_t* status) {
    int result = CmdClient::OnStopVideo(reason, url, status);
    if (reason == 0 && m_facade.GetVideoFileRepeat()) {
        // The file ended by itself and repeats: answer "play again" at once,
        // through the connection's send path so it never splits a frame.
        if (AckCommand(kStopVideoAnswer, "StopVideo",
                       ByteString(1, static_cast<char>(kRepeatPlay))) < 0) {
            OnAckError(kStopVideoAnswer, kRepeatPlay, platform::LastSystemError());
        }
        result = -1;
    }
    m_facade.OnStopVideo(reason, url, status);
    return result;
}

int CmdClientAdaptor::OnRefreshScreen(const ByteString& payload) {
    const int result = CmdClient::OnRefreshScreen(payload);
    m_facade.RefreshScreenImage();
    return result;
}

int CmdClientAdaptor::OnRelayCommand(const ByteString& payload) {
    QK_LOGF(LOG_INFO, "OnRelayCommand");
    m_facade.OnRelayCommand(payload);
    return -1;
}

int CmdClientAdaptor::OnKeyboardCommand(const ByteString& payload) {
    QK_LOGF(LOG_INFO, "OnKeyboardCommand");
    m_facade.OnKeyboardCommand(payload);
    return -1;
}

int CmdClientAdaptor::OnMouseCommand(const ByteString& payload) {
    QK_LOGF(LOG_INFO, "OnMouseCommand");
    m_facade.OnMouseCommand(payload);
    return -1;
}

void CmdClientAdaptor::OnTouchEvent(int id, int x, int y, int state) {
    QK_LOGF(LOG_INFO, "OnTouchEvent id:%d x:%d y:%d state:0x%02X", id, x, y, state);
    m_facade.OnTouchEvent(id, x, y, state);
}

int CmdClientAdaptor::OnStringInput(const ByteString& payload) {
    QK_LOGF(LOG_INFO, "OnStringInput");
    m_facade.OnStringInput(payload);
    return -1;
}

void CmdClientAdaptor::OnForwardMessage(uint32_t id, uint32_t size, const uint8_t* data,
                                        ByteString& reply) {
    m_facade.OnForwardMessage(id, size, data, reply);
    QK_LOGF(LOG_INFO, "OnForwardMessage id:%u size:%u reply:%d", id, size,
            static_cast<int>(reply.size()));
}

int CmdClientAdaptor::OnSidebar(const ByteString& payload) {
    QK_LOGF(LOG_INFO, "OnSidebar 0x%02X", FirstByte(payload));
    m_facade.OnSidebar(FirstByte(payload));
    return -1;
}

// ---------------------------------------------------------------------------
// automatic re-sync

int CmdClientAdaptor::AutoResync() {
    VRXClient& f = m_facade;
    if (f.IsShuttingDown() || m_ResyncRunning.load() || f.m_Settings.PreBufTime() == 0) {
        return 0;
    }
    if (projection::IsSplitMode(f.m_PlayMode.load()) && !IsProtocolAbove0124()) {
        return 0;
    }
    const uint64_t now = platform::NowMs();
    const uint64_t started = f.m_ProjectionStartMs.load();
    if (now < started || now - started <= kResyncAfterMs) {
        return 0;
    }
    if (f.GetStatus() != kVrxProjecting || f.IsBusy()) {
        return 0;
    }
    {
        // Only when nobody works on the facade or the channel right now.
        FacadeLock facade(f.m_OperationLock, boost::try_to_lock);
        boost::recursive_mutex::scoped_try_lock channel(m_CmdLock);
        if (!facade.owns_lock() || !channel.owns_lock()) {
            return 0;
        }
    }
    boost::mutex::scoped_lock guard(m_ResyncLock);
    if (m_ResyncStopped) {
        return 0;
    }
    if (m_pResyncThread && m_pResyncThread->joinable()) {
        m_pResyncThread->join();  // finished: the running flag was clear
    }
    m_ResyncRunning = true;
    m_pResyncThread = platform::StartThread<boost::thread>("resync", [this] { RunResync(); });
    if (!m_pResyncThread) {
        m_ResyncRunning = false;
        QK_LOGF(LOG_CRIT, "AutoResync cannot start its worker");
    }
    return 0;
}

void CmdClientAdaptor::RunResync() {
    VRXClient& f = m_facade;
    {
        FacadeLock facade(f.m_OperationLock, boost::try_to_lock);
        if (facade.owns_lock() && !f.IsShuttingDown() && f.GetStatus() == kVrxProjecting) {
            QK_LOGF(LOG_NOTICE, "Auto pause and play for re-sync");
            f.m_Resync = true;
            if (IsProtocolAbove0123()) {
                f.PausePlayImage();
            } else {
                f.StopPlayImage();
            }
            // A new projection start time: the next re-sync is 3 hours away.
            f.StartPlayImage(f.m_PlayMode.load());
            f.m_Resync = false;
        }
    }
    m_ResyncRunning = false;
}

void CmdClientAdaptor::StopResync() {
    std::unique_ptr<boost::thread> worker;
    {
        boost::mutex::scoped_lock guard(m_ResyncLock);
        m_ResyncStopped = true;
        worker = std::move(m_pResyncThread);
    }
    if (worker && worker->joinable()) {
        worker->join();
    }
}
