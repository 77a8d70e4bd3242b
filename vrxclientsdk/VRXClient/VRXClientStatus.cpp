// The facade's screen, port, volume and display operations, and the default
// bodies of the receiver-input callbacks.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "platform/clock.h"
#include "platform/display/display_settings.h"
#include "platform/media_bind_address.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/ClientDisplay.h"
#include "vrxclientsdk/VRXClient/MediaCodes.h"
#include "vrxclientsdk/VRXClient/ProcessGlobals.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"
#include "vrxclientsdk/VRXClient/media/VideoPorts.h"

using namespace media;

namespace {

// The position byte of HideScreen: the whole screen.
constexpr uint8_t kHideWholeScreen = 128;
// A volume of 255 asks the receiver to toggle its mute: never a level.
constexpr int kMaxVolumeLevel = 254;
// The listening socket of a port test takes this many connections.
constexpr int kTestPortBacklog = 2;
// Receiver input: the acknowledgement window of low latency.
constexpr int kLowLatencyAckWindow = 2;

}  // namespace

std::minstd_rand media::PortSearchGenerator() {
    return std::minstd_rand(static_cast<unsigned>(platform::NowMs() ^ ::getpid()));
}

// ---------------------------------------------------------------------------
// screen

int VRXClient::HideScreen() {
    QK_LOGF(LOG_INFO, "HideScreen %d", IsBusy() ? 1 : 0);
    OperationLock lock;
    if (int rc = MediaGuard(lock, true); rc < 0) {
        return rc;
    }
    const int rc = m_Cmd.HideScreen(kHideWholeScreen);
    if (rc < 0) {
        CopyError(m_Cmd);
        return rc;
    }
    if (rc == kAnswerRefused) {
        return QK_ERROR(qkerr::kHideScreen);
    }
    return QK_CLEAR_ERROR();
}

int VRXClient::SetClientDisplay(int width, int height, bool compositionOff, bool allow16,
                                bool extended) {
    ClientDisplay::Request request;
    request.width = width;
    request.height = height;
    request.compositionOff = compositionOff;
    request.allow16 = allow16;
    request.extended = extended;
    ClientDisplay::Facts facts;
    facts.receiver16Bit = GetDeviceBpp() == 16;
    facts.jpegPossible = IsJpegSupported() && JpegEncoderModule() != nullptr;
    const ClientDisplay::Result r =
        ClientDisplay::Apply(platform::CurrentDisplaySettings(), request, facts);
    if (!r.ok) {
        return QK_ERROR(qkerr::kDisplaySetting, r.failure);
    }
    QK_LOGF(LOG_INFO, "SetClientDisplay %d %d %s %d %d %d %d", width, height,
            r.applied ? "true" : "false", r.before.width, r.before.height, r.depth,
            compositionOff ? 1 : 0);
    return QK_CLEAR_ERROR();
}

// ---------------------------------------------------------------------------
// ports

int VRXClient::TestPort(uint16_t port) {
    platform::UniqueSocket s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!s.Valid()) {
        QK_LOGF(LOG_WARN, "TestPort init socket failed");
        return QK_ERROR(kTestPortNoSocket);
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    ::inet_pton(AF_INET, platform::MediaBindAddress().c_str(), &local.sin_addr);
    if (::bind(s.Get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        QK_LOGF(LOG_NOTICE, "TestPort bind port %hu error", port);
        return QK_ERROR(kTestPortNoBind);
    }
    if (::listen(s.Get(), kTestPortBacklog) != 0) {
        QK_LOGF(LOG_WARN, "TestPort listen port %hu error", port);
        return QK_ERROR(kTestPortNoListen);
    }
    const int rc = m_Cmd.TestPort(port);
    if (rc < 0) {
        CopyError(m_Cmd);
        return rc;
    }
    if (rc == 0) {
        QK_LOGF(LOG_INFO, "TestPort %hu failed", port);
        return QK_ERROR(kTestPortUnreachable);
    }
    QK_LOGF(LOG_INFO, "TestPort %hu success", port);
    return QK_CLEAR_ERROR();
}

int VRXClient::FindVideoPort(int tries) {
    QK_LOGF(LOG_INFO, "FindVideoPort %d", tries);
    if (MediaSession::VideoPortFound()) {
        return QK_CLEAR_ERROR();
    }
    OperationLock lock;
    if (int rc = MediaGuard(lock, true); rc < 0) {
        return rc;
    }
    std::minstd_rand random = PortSearchGenerator();
    uint16_t port = CurrentVideoPort();
    for (int i = 0; i < tries; ++i) {
        const int rc = TestPort(port);
        if (rc < 0) {
            return rc;
        }
        if (rc == 0) {
            m_Media.SetFoundVideoPort(port);
            MediaSession::SetVideoPortFound(true);
            return QK_CLEAR_ERROR();
        }
        port = StepVideoPort(port, random() % kPortStepSpan + 1);
    }
    return QK_ERROR(qkerr::kNoInboundPort);
}

uint16_t VRXClient::CurrentVideoPort() {
    const uint16_t found = m_Media.FoundVideoPort();
    if (IsValidVideoPort(found)) {
        return found;
    }
    const uint16_t announced = GetDeviceRecord().GetVideoPort();
    return IsValidVideoPort(announced) ? announced : StepVideoPort(announced, 0);
}

// ---------------------------------------------------------------------------
// volume

int VRXClient::GetVolLevel() {
    QK_LOGF(LOG_INFO, "GetVolLevel %d", IsBusy() ? 1 : 0);
    OperationLock lock(m_OperationLock, boost::try_to_lock);
    if (!lock.owns_lock() || IsBusy()) {
        // Never the busy code: the level known last.
        std::lock_guard<std::mutex> guard(m_RecordLock);
        return m_CapRecord.cur_vol;
    }
    if (GetStatus() == kVrxDisconnected) {
        return QK_ERROR(qkerr::kDisconnected);
    }
    DeviceCapRecord record;
    if (int rc = m_Cmd.GetDeviceCap(&record); rc < 0) {
        CopyError(m_Cmd);
        return rc;
    }
    int level = 0;
    {
        std::lock_guard<std::mutex> guard(m_RecordLock);
        m_CapRecord = record;
        level = m_CapRecord.cur_vol;
    }
    return QK_ERROR(level);
}

int VRXClient::SetVolLevel(int level) {
    QK_LOGF(LOG_INFO, "SetVolLevel %d %d", level, IsBusy() ? 1 : 0);
    OperationLock lock;
    if (int rc = MediaGuard(lock, true); rc < 0) {
        return rc;
    }
    const int status = GetStatus();
    if (!IsMediaState(status) && status != kVrxScreenStream) {
        return QK_CLEAR_ERROR();
    }
    int current = 0;
    {
        std::lock_guard<std::mutex> guard(m_RecordLock);
        level = std::clamp(level, 0, std::min<int>(m_CapRecord.max_vol, kMaxVolumeLevel));
        current = m_CapRecord.cur_vol;
    }
    if (level == current) {
        return QK_CLEAR_ERROR();
    }
    const int rc = m_Cmd.SetVideoVol(static_cast<uint8_t>(level));
    if (rc < 0) {
        CopyError(m_Cmd);
        return rc;
    }
    if (rc == kAnswerRefused) {
        return QK_ERROR(qkerr::kSetVideoVolume);
    }
    {
        std::lock_guard<std::mutex> guard(m_RecordLock);
        m_CapRecord.cur_vol = static_cast<uint8_t>(level);
    }
    return QK_CLEAR_ERROR();
}

int VRXClient::MuteUnmuteVolume() {
    QK_LOGF(LOG_INFO, "MuteUnmuteVolume %d", IsBusy() ? 1 : 0);
    OperationLock lock(m_OperationLock, boost::try_to_lock);
    if (!lock.owns_lock() || IsBusy()) {
        return GetMuteState();
    }
    const int rc = m_Cmd.MuteUnmuteVolume();
    CopyError(m_Cmd);
    return rc;
}

// ---------------------------------------------------------------------------
// receiver input: default callback bodies

void VRXClient::SwitchToLowLatency() {
    if (m_Cmd.IsProtocolAbove011D() && m_IB.IsConnected()) {
        m_IB.SetAckWindow(kLowLatencyAckWindow);
        m_Cmd.SetPreBufTime(0, false, false);
    }
}

void VRXClient::OnKeyboardCommand(const ByteString& record) {
    SwitchToLowLatency();
    if (const auto position = m_PointerTracker.Track(record)) {
        OnPointerPosition(position->x, position->y);
    }
}

void VRXClient::OnMouseCommand(const ByteString&) {
    SwitchToLowLatency();
}

void VRXClient::OnTouchEvent(int, int, int, int) {
    SwitchToLowLatency();
}

void VRXClient::OnStringInput(const ByteString&) {
    SwitchToLowLatency();
}
