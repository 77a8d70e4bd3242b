#include "vrxclientsdk/VRXClient/input/QkRdpProvider.h"

#include "platform/clock.h"

namespace {

// The point-input type of a sender that replays touch.
constexpr int kPointInputTouch = 30;
// A position younger than this is applied again when the viewport changes.
constexpr uint64_t kPositionFreshMs = 1500;
// Play modes from this one on show the whole screen.
constexpr uint8_t kWholeScreen = 0x80;
// The receiver's request for the lock-key states: a keyboard record of this
// type with every other field zero.
constexpr uint16_t kTypeLockKeys = 0x11;

}  // namespace

QkRdpProvider::QkRdpProvider() : QkRdpProvider(InputReplay::Shared()) {}

QkRdpProvider::QkRdpProvider(std::shared_ptr<InputReplay> replay)
    : m_Replay(std::move(replay)), m_LockKeys(m_Replay) {
    if (m_Replay->CanInject()) {
        SetPointInputType(kPointInputTouch);
    }
}

QkRdpProvider::~QkRdpProvider() {
    m_LockKeys.StopTimer();
    LockKeySync::ClearChannel(&CommandChannel());
    Shutdown();
}

void QkRdpProvider::SetViewport(int x, int y, int w, int h) {
    QK_LOGF(LOG_INFO, "SetViewport %d %d %d %d", x, y, w, h);
    m_Replay->SetViewport({x, y, w, h});
    if (GetStatus() == kVrxProjecting && m_HasPosition.load() &&
        platform::NowMs() - m_LastPositionMs.load() < kPositionFreshMs) {
        m_Replay->SendMouseMoveAbsolute(m_LastX.load(), m_LastY.load());
    }
}

int QkRdpProvider::Login(uint32_t ipv4, const char* name, const char* password) {
    LoginImpl(0, ipv4, name, password);
    const int rc = GetErrorCode();
    LockKeySync::SetChannel(rc < 0 ? nullptr : &CommandChannel());
    return rc;
}

int QkRdpProvider::StartPlayImage(uint8_t mode) {
    const int screen = CaptureScreen();
    m_Replay->SelectInputDisplay(screen);
    VRXClient::StartPlayImage(mode);
    const int rc = GetErrorCode();
    if (rc >= 0) {
        m_Replay->StartTouch(screen);
        if (mode >= kWholeScreen && CommandChannel().IsProtocolAbove011C()) {
            m_LockKeys.SendLockKeyState();
            m_LockKeys.StartTimer();
        }
    }
    return rc;
}

int QkRdpProvider::StopPlayImage() {
    m_LockKeys.StopTimer();
    m_Replay->StopTouch();
    return VRXClient::StopPlayImage();
}

int QkRdpProvider::PausePlayImage() {
    m_LockKeys.StopTimer();
    return VRXClient::PausePlayImage();
}

void QkRdpProvider::Logout() {
    VRXClient::Logout();
    LockKeySync::SetChannel(nullptr);
}

void QkRdpProvider::OnKeyboardCommand(const ByteString& record) {
    VRXClient::OnKeyboardCommand(record);
    InputReplay::KeyRecord key;
    if (!InputReplay::ParseKeyRecord(record, &key)) {
        QK_LOGF(LOG_NOTICE, "OnKeyboardCommand: record of %d bytes ignored",
                static_cast<int>(record.size()));
        return;
    }
    QK_LOGF(LOG_INFO, "OnKeyboardCommand %d %d %d", key.type, key.code, key.value);
    if (key.type == kTypeLockKeys && key.timeZero && key.code == 0 && key.value == 0) {
        if (CommandChannel().IsProtocolAbove011C()) {
            m_LockKeys.SendLockKeyState();
        }
        return;
    }
    m_Replay->InjectKeyEvent(record);
}

void QkRdpProvider::OnMouseCommand(const ByteString& record) {
    VRXClient::OnMouseCommand(record);
    if (record.size() >= 4) {
        QK_LOGF(LOG_INFO, "OnMouseCommand 0x%02X %d %d 0x%02X", static_cast<uint8_t>(record[0]),
                static_cast<int8_t>(record[1]), static_cast<int8_t>(record[2]),
                static_cast<uint8_t>(record[3]));
    }
    m_Replay->InjectMouseEvent(record);
}

void QkRdpProvider::OnPointerPosition(uint16_t x, uint16_t y) {
    m_LastX = x;
    m_LastY = y;
    m_LastPositionMs = platform::NowMs();
    m_HasPosition = true;
    m_Replay->SendMouseMoveAbsolute(x, y);
}

void QkRdpProvider::OnTouchEvent(int id, int x, int y, int state) {
    VRXClient::OnTouchEvent(id, x, y, state);
    m_Replay->SetFingerInfo(id, x, y, state);
}

void QkRdpProvider::OnSidebar(uint8_t) {}

void QkRdpProvider::OnStringInput(const ByteString& record) {
    VRXClient::OnStringInput(record);
    m_Replay->SendUnicodeString(record);
}
