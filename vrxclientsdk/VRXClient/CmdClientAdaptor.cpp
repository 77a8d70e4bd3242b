#include "vrxclientsdk/VRXClient/CmdClientAdaptor.h"

#include <cstring>

#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace {

// How long one wait for the facade's lock lasts before the connection is
// checked again.
constexpr int kStepMs = 30;

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
        if (m_facade.IsShuttingDown() || IsConnected()) {
            return;
        }
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
    const int result = CmdClient::OnStopVideo(reason, url, status);
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
