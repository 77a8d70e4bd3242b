#include "app/maindlg/vrx_client_ex.h"

#include <cstring>

#include "app/maindlg/address_text.h"
#include "platform/dynload.h"
#include "platform/window/window_manager.h"

namespace pemuapp {
namespace {

// Bytes per second of the audio stream: 44100 Hz, 2 channels, 16 bits.
constexpr int64_t kAudioBytesPerSecond = 176400;
constexpr int kAudioPort = 1688;

using StartSonavelFn = int (*)(const char* address, int port, int rate, int channels, int bits,
                               int bufferBytes);
using StartSonavelSFn = int (*)(int socket, int rate, int channels, int bits, int bufferBytes);
using StopSonavelFn = void (*)();
using SetVideoStartTimeFn = void (*)(long firstCaptureTime);

// Said once per process: every client would say the same.
std::atomic<bool> g_audioMissingLogged{false};

bool PostThroughManager(platform::WindowId window, const platform::Message& msg) {
    platform::WindowManager* manager = platform::WindowManager::Current();
    return manager && manager->Post(window, msg);
}

}  // namespace

CQKVRXClientEx::CQKVRXClientEx() : CQKVRXClientEx(PostThroughManager) {}

CQKVRXClientEx::CQKVRXClientEx(Poster poster)
    : m_poster(poster ? std::move(poster) : Poster(PostThroughManager)),
      m_audioModule(LoadSonavel()) {}

CQKVRXClientEx::CQKVRXClientEx(Poster poster, std::shared_ptr<InputReplay> replay)
    : SenderServer(std::move(replay)),
      m_poster(poster ? std::move(poster) : Poster(PostThroughManager)),
      m_audioModule(LoadSonavel()) {}

AudioModule CQKVRXClientEx::LoadSonavel() {
    std::shared_ptr<platform::DynamicLibrary> library = platform::DynamicLibrary::Load("Sonavel");
    AudioModule module;
    if (!library) {
        return module;
    }
    // Each entry keeps the library loaded while it can be called.
    if (auto start = library->Entry<StartSonavelFn>("StartSonavel")) {
        module.start = [library, start](const std::string& address, int port, int rate,
                                        int channels, int bits, int bufferBytes) {
            return start(address.c_str(), port, rate, channels, bits, bufferBytes);
        };
    }
    if (auto start = library->Entry<StartSonavelSFn>("StartSonavelS")) {
        module.startWithSocket = [library, start](platform::SocketHandle socket, int rate,
                                                  int channels, int bits, int bufferBytes) {
            return start(socket, rate, channels, bits, bufferBytes);
        };
    }
    if (auto stop = library->Entry<StopSonavelFn>("StopSonavel")) {
        module.stop = [library, stop] { stop(); };
    }
    if (auto set = library->Entry<SetVideoStartTimeFn>("SetVideoStartTime")) {
        module.setVideoStartTime = [library, set](long time) { set(time); };
    }
    return module;
}

CQKVRXClientEx::~CQKVRXClientEx() {
    StopSenderServer();
    Shutdown();
}

void CQKVRXClientEx::SetEventTarget(platform::WindowId window, const std::wstring& className) {
    std::lock_guard<std::mutex> guard(m_targetLock);
    m_target.window = window;
    if (!window) {
        m_target.kind = TargetKind::kNone;
    } else if (className == kMainDialogTargetName) {
        m_target.kind = TargetKind::kMain;
    } else if (className == kCommonDialogTargetName) {
        m_target.kind = TargetKind::kCommon;
    } else {
        m_target.kind = TargetKind::kNone;  // a class that takes no events
    }
}

void CQKVRXClientEx::SetOwnLoginCode(const std::string& code) {
    std::lock_guard<std::mutex> guard(m_targetLock);
    m_ownCode = code;
}

CQKVRXClientEx::Target CQKVRXClientEx::CurrentTarget() {
    std::lock_guard<std::mutex> guard(m_targetLock);
    return m_target;
}

bool CQKVRXClientEx::Forward(ClientEvent event, int64_t argument) {
    const Target target = CurrentTarget();
    if (target.kind == TargetKind::kNone) {
        return false;
    }
    return m_poster(target.window, platform::Message::User(kClientEventMessage,
                                                           static_cast<int64_t>(event), argument));
}

bool CQKVRXClientEx::PostCommand(const Target& target, uint32_t command) {
    return target.kind != TargetKind::kNone &&
           m_poster(target.window, platform::Message::Command(command));
}

int CQKVRXClientEx::Login(uint32_t ipv4, const char* name, const char* password) {
    QK_LOGF(LOG_DEBUG, "CQKVRXClientEx::Login()");
    currentPeer = ipv4;
    QK_LOGF(LOG_DEBUG, "CQKVRXClientEx::Login()__END");
    return QkRdpProvider::Login(ipv4, name, password);
}

void CQKVRXClientEx::SetPreBufTime(uint16_t ms) {
    VRXClient::SetPreBufTime(ms);
    // 64-bit arithmetic: 65535 ms of audio is more than 11 MB.
    const int64_t bytes =
        ms <= 62 ? kMinAudioBufferBytes : int64_t{ms} * kAudioBytesPerSecond / 1000;
    m_audioBuffer = static_cast<int>(bytes);
}

void CQKVRXClientEx::StartAudio(uint8_t mode) {
    if (mode != 0x80 || !HasFbfBit20()) {
        return;
    }
    if (!m_audioModule.Loaded()) {
        if (!g_audioMissingLogged.exchange(true)) {
            QK_LOGF(LOG_WARN, "audio projection is not available on this system");
        }
        return;
    }
    if (m_audioModule.setVideoStartTime) {
        m_audioModule.setVideoStartTime(GetFirstCapTime());
    }
    // A connection the receiver opened for the sound is used once; it is
    // taken only when the module can use it.
    const platform::SocketHandle socket =
        m_audioModule.startWithSocket ? TakeAuxSocket() : platform::kInvalidSocket;
    int rc = 0;
    if (socket != platform::kInvalidSocket) {
        QK_LOGF(LOG_INFO, "Start Audio Projection with socket#%d", socket);
        rc = m_audioModule.startWithSocket(socket, 44100, 2, 16, m_audioBuffer.load());
    } else if (m_audioModule.start) {
        rc = m_audioModule.start(DottedAddress(GetPeerAddress()), kAudioPort, 44100, 2, 16,
                                 m_audioBuffer.load());
    } else {
        return;  // the socket form only, and no socket
    }
    if (rc < 0) {
        QK_LOGF(LOG_ERROR, "Start Audio Projection fail: %d", rc);
        return;
    }
    m_audioRunning = true;
}

void CQKVRXClientEx::StopAudio() {
    if (m_audioRunning.exchange(false) && m_audioModule.stop) {
        m_audioModule.stop();
    }
}

void CQKVRXClientEx::SetSurroundings(ProjectionSurroundings* surroundings) {
    std::lock_guard<std::mutex> guard(m_targetLock);
    m_surroundings = surroundings;
}

ProjectionSurroundings* CQKVRXClientEx::MainSurroundings() {
    std::lock_guard<std::mutex> guard(m_targetLock);
    return m_target.kind == TargetKind::kMain ? m_surroundings : nullptr;
}

int CQKVRXClientEx::StartPlayImage(uint8_t mode) {
    const uint32_t peer = GetPeerAddress();
    QK_LOGF(LOG_DEBUG, "Before StartPlayImage:%s", DottedAddress(peer).c_str());
    currentPeer = peer;
    ProjectionSurroundings* surroundings = MainSurroundings();
    if (surroundings) {
        surroundings->BeforeProjectionStart(*this);
    }
    const int rc = QkRdpProvider::StartPlayImage(mode);
    if (rc >= 0) {
        QK_LOGF(LOG_DEBUG, "Before PlaytSonavel");
        if (surroundings) {
            surroundings->ProjectionStarted();
        }
        StartAudio(mode);
        QK_LOGF(LOG_DEBUG, "Before DoEvent StartPlayImage");
        const Target target = CurrentTarget();
        if (target.kind == TargetKind::kMain) {
            PostCommand(target, kCmdStartPlayImage);
            QK_LOGF(LOG_DEBUG, "Send IDC_STARTPLAYIMAGE");
        } else if (target.kind == TargetKind::kCommon) {
            Forward(ClientEvent::kStartPlayImage);
        }
    }
    QK_LOGF(LOG_DEBUG, "After DoEvent StartPlayImage");
    return rc < 0 ? rc : GetErrorCode();
}

int CQKVRXClientEx::StopPlayImage() {
    QK_LOGF(LOG_DEBUG, "CQKVRXClientEx::StopPlayImage()");
    StopAudio();
    const int rc = QkRdpProvider::StopPlayImage();
    if (ProjectionSurroundings* surroundings = MainSurroundings()) {
        surroundings->ProjectionStopped(*this, rc >= 0);
    }
    if (rc >= 0) {
        PostCommand(CurrentTarget(), kCmdStopPlayImage);
    }
    QK_LOGF(LOG_DEBUG, "CQKVRXClientEx::StopPlayImage()___END");
    return rc;
}

int CQKVRXClientEx::PausePlayImage() {
    StopAudio();
    return QkRdpProvider::PausePlayImage();
}

void CQKVRXClientEx::Logout() {
    QK_LOGF(LOG_DEBUG, "CQKVRXClientEx::Logout()");
    featureFlag15 = false;
    QkRdpProvider::Logout();
    QK_LOGF(LOG_DEBUG, "CQKVRXClientEx::Logout()___END");
}

void CQKVRXClientEx::OnStartPlayImage(const ByteString& payload) {
    (void)payload;
    QK_LOGF(LOG_DEBUG, "CQKVRXClientEx::OnStartPlayImage");
    Forward(ClientEvent::kOnStartPlayImage);
    QK_LOGF(LOG_DEBUG, "CQKVRXClientEx::OnStartPlayImage:___[END]");
}

void CQKVRXClientEx::OnStopPlayImage(const ByteString& payload) {
    (void)payload;
    if (CurrentTarget().kind == TargetKind::kNone) {
        return;
    }
    QK_LOGF(LOG_DEBUG, "CQKVRXClientEx::OnStopPlayImage");
    Forward(ClientEvent::kOnStopPlayImage);
    StopAudio();
    QK_LOGF(LOG_DEBUG, "CQKVRXClientEx::OnStopPlayImage:___[END]");
}

void CQKVRXClientEx::OnChangeValue(const std::string& name, const std::string& value) {
    (void)name;
    (void)value;
    Forward(ClientEvent::kOnChangeValue);
}

void CQKVRXClientEx::OnDeviceNotice(uint8_t notice) {
    if (notice == 0xB6) {
        Forward(ClientEvent::kOnDeviceNotice, notice);
    }
}

void CQKVRXClientEx::OnStopVideo(uint8_t reason, const std::string& url, const uint8_t* status) {
    VRXClient::OnStopVideo(reason, url, status);
    const Target target = CurrentTarget();
    if (target.kind == TargetKind::kNone || m_commandFile) {
        return;
    }
    if (reason == 2) {
        PostCommand(target, kCmdStopVideoReason2);
    }
    Forward(ClientEvent::kOnStopVideo, reason);
}

std::string CQKVRXClientEx::CheckPassword(const uint8_t* data, uint32_t size,
                                          const std::string& expected) {
    static constexpr char kTag[] = "CHK_PWD";  // with its zero: 8 bytes
    constexpr uint32_t kHeader = 9;            // tag, its zero's byte pair, length
    if (!data || size < kHeader || std::memcmp(data, kTag, sizeof kTag) != 0) {
        return "-1";
    }
    const uint32_t length = (uint32_t{data[7]} << 8) | data[8];
    if (length > 16 || length > size - kHeader) {
        return "-1";
    }
    const char* text = reinterpret_cast<const char*>(data + kHeader);
    const std::string given(text, strnlen(text, length));
    return given == expected ? "0" : "-1";
}

void CQKVRXClientEx::OnForwardMessage(uint32_t id, uint32_t size, const uint8_t* data,
                                      ByteString& reply) {
    if (id != kForwardTextId || !data) {
        return;
    }
    static constexpr char kRefresh[] = "REF_UI";
    if (size >= sizeof kRefresh && std::memcmp(data, kRefresh, sizeof kRefresh) == 0) {
        return;
    }
    if (size >= 7 && std::memcmp(data, "CHK_PWD", 7) == 0) {
        std::string expected;
        {
            std::lock_guard<std::mutex> guard(m_targetLock);
            if (m_target.kind == TargetKind::kMain) {
                expected = m_ownCode;
            }
        }
        reply = CheckPassword(data, size, expected);
    }
}

void CQKVRXClientEx::OnConnectClose() {
    QK_LOGF(LOG_DEBUG, "CQKVRXClientEx::OnConnectClose()");
    Forward(ClientEvent::kOnConnectClose, m_eventSource.load());
}

void CQKVRXClientEx::OnSendIBError() {
    if (CurrentTarget().kind == TargetKind::kMain) {
        Forward(ClientEvent::kOnSendIBError);
    }
}

void CQKVRXClientEx::OnLogin(const in_addr* receiver) {
    if (!receiver) {
        return;
    }
    currentPeer = receiver->s_addr;
    DevAnnounce record;
    if (ConnectToDeviceThruIP(receiver->s_addr, &record, 10) >= 0) {
        receiverAddress = record.GetIPv4();
        receiverName = record.GetName();
        connectName = receiverName;
    }
    QK_LOGF(LOG_DEBUG, "OnLogin ReceiverIP:%s", DottedAddress(receiver->s_addr).c_str());
    Forward(ClientEvent::kOnLogin);
}

}  // namespace pemuapp
