// The facade's media, volume and status operations: hiding the screen, the
// receiver's volume, the port test, the screen video stream, the playing of
// local video and audio files that the local web server serves, and the
// receiver's stop-video event.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "platform/clock.h"
#include "platform/display/display_settings.h"
#include "platform/media_bind_address.h"
#include "platform/pump.h"
#include "platform/wide_text.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/ProcessGlobals.h"
#include "vrxclientsdk/VRXClient/ProjectionRules.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"
#include "vrxclientsdk/VRXClient/input/InputReplay.h"
#include "vrxclientsdk/VRXClient/media/VideoFileStream.h"
#include "vrxclientsdk/VRXClient/media/VideoPorts.h"
#include "vrxclientsdk/VRXClient/media/VideoScreenStream.h"

namespace {

// Answers of the media requests.
constexpr int kAnswerRefused = 0;
constexpr int kAnswerAccepted = 1;
constexpr int kAnswerBusy = 2;
constexpr int kAnswerConference = 255;

// The position byte of HideScreen: the whole screen.
constexpr uint8_t kHideWholeScreen = 128;
// PlayVideo: the first mode byte for receivers that take JPEG (0x40) or not,
// and the option byte of every media play.
constexpr uint8_t kScreenVideoJpegMode = 0x40;
constexpr uint8_t kMediaOption = 3;
// The status bytes of a stop the sender asks for.
constexpr uint8_t kStopStatus[4] = {1, 0, 0, 0};
// A volume of 255 asks the receiver to toggle its mute: never a level.
constexpr int kMaxVolumeLevel = 254;

// Port test results that mean "try another port".
constexpr int kTestPortNoSocket = 10;
constexpr int kTestPortNoBind = 20;
constexpr int kTestPortNoListen = 30;
constexpr int kTestPortUnreachable = 40;
constexpr int kTestPortBacklog = 2;

// Port searches: the screen stream starts at a random port of
// 10000..59999, each later try moves on by 1 to 999.
constexpr unsigned kScreenPortBase = 10000;
constexpr unsigned kScreenPortSpan = 50000;
constexpr unsigned kPortStepSpan = 999;
constexpr int kScreenPortTries = 10;
constexpr int kFilePortTries = 3;

// The screen stream settles for 150 steps of 30 ms (4.5 s) before the
// receiver connects: the helper's encoder needs its first key frames.
constexpr uint32_t kSettleStepMs = 30;

// The picture beside an audio file: how long it waits for the audio request
// (steps of 30 ms), and how long the receiver may take to clear its screen.
constexpr int kPictureWaitSteps = 1000;
constexpr int kPictureClearSeconds = 5;

// Receiver input: the acknowledgement window of low latency, and the
// keyboard records that carry absolute pointer axes.
constexpr int kLowLatencyAckWindow = 2;
constexpr uint16_t kTypeAbsoluteAxis = 3;
constexpr int kAxisX = 0;
constexpr int kAxisY = 1;
constexpr int kNoAxis = 2;

// Process-wide: set by the first successful FindVideoPort.
std::atomic<bool> g_VideoPortFound{false};

// A socket closed on every path.
class SocketGuard {
public:
    explicit SocketGuard(int fd) : m_fd(fd) {}
    ~SocketGuard() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    SocketGuard(const SocketGuard&) = delete;
    SocketGuard& operator=(const SocketGuard&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

std::minstd_rand SeededGenerator() {
    return std::minstd_rand(static_cast<unsigned>(platform::NowMs() ^ ::getpid()));
}

bool IsMediaState(int status) {
    return status == kVrxMediaPlaying || status == kVrxMediaPaused;
}

}  // namespace

void VRXClient::ResetVideoPortFoundForTest() {
    g_VideoPortFound = false;
}

// ---------------------------------------------------------------------------
// helpers

int VRXClient::MediaGuard(OperationLock& lock, bool needConnection) {
    if (int rc = TryOperationLock(lock); rc < 0) {
        return rc;
    }
    if (needConnection && GetStatus() == kVrxDisconnected) {
        return QK_ERROR(qkerr::kDisconnected);
    }
    return 0;
}

std::wstring VRXClient::CurrentMediaFile() {
    std::lock_guard<std::mutex> guard(m_MediaLock);
    return m_MediaFile;
}

std::string VRXClient::CurrentMediaUrl() {
    std::lock_guard<std::mutex> guard(m_MediaLock);
    return m_MediaUrl;
}

void VRXClient::ClearMediaState() {
    std::lock_guard<std::mutex> guard(m_MediaLock);
    m_MediaFile.clear();
    m_MediaUrl.clear();
}

void VRXClient::ForgetMediaFile(bool busyStep) {
    const std::wstring file = CurrentMediaFile();
    if (busyStep) {
        BusyScope busy(*this);
        m_pFileStream->Stop(file);
    } else {
        m_pFileStream->Stop(file);
    }
    ClearMediaState();
}

uint16_t VRXClient::CurrentVideoPort() {
    const uint16_t found = m_VideoPort.load();
    if (IsValidVideoPort(found)) {
        return found;
    }
    const uint16_t announced = GetDeviceRecord().GetVideoPort();
    return IsValidVideoPort(announced) ? announced : StepVideoPort(announced, 0);
}

std::string VRXClient::BuildMediaUrl(uint16_t port, const std::string& urlPath) {
    uint8_t a[4];
    {
        std::lock_guard<std::mutex> guard(m_RecordLock);
        std::memcpy(a, &m_LocalAddress.sin_addr.s_addr, sizeof a);
    }
    char url[64];
    std::snprintf(url, sizeof url, "http://%03d.%03d.%03d.%03d:%d", a[0], a[1], a[2], a[3], port);
    return url + urlPath;
}

std::string VRXClient::BuildScreenVideoUrl(uint16_t port) {
    uint8_t a[4];
    {
        std::lock_guard<std::mutex> guard(m_RecordLock);
        std::memcpy(a, &m_LocalAddress.sin_addr.s_addr, sizeof a);
    }
    char url[64];
    std::snprintf(url, sizeof url, "mmsh://%03d.%03d.%03d.%03d:%d", a[0], a[1], a[2], a[3], port);
    return url;
}

int VRXClient::PlayRefused(int result) {
    switch (result) {
        case kAnswerBusy:
            return QK_ERROR(qkerr::kDeviceBusyVideo);
        case kAnswerConference:
            return QK_ERROR(qkerr::kConferenceMode);
        default:
            // 0, and any answer the receiver has no meaning for.
            return QK_ERROR(qkerr::kPlayVideoStream);
    }
}

void VRXClient::StopTheOthers(int flags) {
    QK_LOGF(LOG_DEBUG, "StopTheOthers %d", flags);
    if (flags != 0) {
        StopPlayImage();
    }
    StopK7RM();
    StopVideoFile();
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
    platform::DisplaySettings* display = platform::CurrentDisplaySettings();
    platform::DesktopConfig now;
    if (!display || !display->GetDesktopConfig(0, &now)) {
        return QK_ERROR(qkerr::kDisplaySetting, "the desktop cannot be read");
    }
    if (width <= 0 || height <= 0) {
        return QK_ERROR(qkerr::kDisplaySetting,
                        std::to_string(width) + "x" + std::to_string(height));
    }
    int depth = 0;
    bool changed = false;
    // A receiver that shows 16-bit colour and cannot be sent JPEG gets raw
    // pixels: half of them are saved by sending 16-bit ones.
    const bool jpeg = IsJpegSupported() && JpegEncoderModule() != nullptr;
    if (GetDeviceBpp() == 16 && allow16 && !jpeg && now.depth > 16) {
        depth = 16;
        changed = true;
    }
    if (compositionOff) {
        display->BackupComposition();
        display->SetComposition(false);
        if (display->GetAccel() != platform::DisplaySettings::kFullAccel) {
            display->BackupAccel();
            changed = true;
        }
    }
    display->SetDirectDraw(true);
    if (width == now.width && height == now.height && !changed) {
        QK_LOGF(LOG_INFO, "SetClientDisplay %d %d %s %d %d %d %d", width, height, "false",
                now.width, now.height, depth, compositionOff ? 1 : 0);
        return QK_CLEAR_ERROR();
    }
    const int mode = compositionOff ? 5 : 0;
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    if (extended) {
        if (int rc = display->SetDisplayEx(mode, width, height, depth, 1); rc != 0) {
            return QK_ERROR(qkerr::kDisplaySetting, size + " " + std::to_string(rc));
        }
    } else if (!display->SetDisplay(mode, width, height, depth)) {
        return QK_ERROR(qkerr::kDisplaySetting, size);
    }
    QK_LOGF(LOG_INFO, "SetClientDisplay %d %d %s %d %d %d %d", width, height, "true", now.width,
            now.height, depth, compositionOff ? 1 : 0);
    return QK_CLEAR_ERROR();
}

// ---------------------------------------------------------------------------
// ports

int VRXClient::TestPort(uint16_t port) {
    SocketGuard s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (s.get() < 0) {
        QK_LOGF(LOG_WARN, "TestPort init socket failed");
        return QK_ERROR(kTestPortNoSocket);
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    ::inet_pton(AF_INET, platform::MediaBindAddress().c_str(), &local.sin_addr);
    if (::bind(s.get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        QK_LOGF(LOG_NOTICE, "TestPort bind port %hu error", port);
        return QK_ERROR(kTestPortNoBind);
    }
    if (::listen(s.get(), kTestPortBacklog) != 0) {
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
    if (g_VideoPortFound.load()) {
        return QK_CLEAR_ERROR();
    }
    OperationLock lock;
    if (int rc = MediaGuard(lock, true); rc < 0) {
        return rc;
    }
    std::minstd_rand random = SeededGenerator();
    uint16_t port = CurrentVideoPort();
    for (int i = 0; i < tries; ++i) {
        const int rc = TestPort(port);
        if (rc < 0) {
            return rc;
        }
        if (rc == 0) {
            m_VideoPort = port;
            g_VideoPortFound = true;
            return QK_CLEAR_ERROR();
        }
        port = StepVideoPort(port, random() % kPortStepSpan + 1);
    }
    return QK_ERROR(qkerr::kNoInboundPort);
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
// screen video stream

int VRXClient::StartK7RM(int x, int y, int width, int height, uint8_t a, uint8_t b, bool probe) {
    QK_LOGF(LOG_INFO, "StartK7RM %d %d %d %d %d %d %d %d", x, y, width, height, a, b, probe ? 1 : 0,
            IsBusy() ? 1 : 0);
    OperationLock lock;
    if (int rc = MediaGuard(lock, true); rc < 0) {
        return rc;
    }
    if (int rc = m_Cmd.CheckNCC(); rc == kAnswerConference) {
        return QK_ERROR(qkerr::kConferenceMode);
    } else if (rc < 0) {
        CopyError(m_Cmd);
        return rc;
    }
    StopTheOthers(0);

    std::minstd_rand random = SeededGenerator();
    auto port = static_cast<uint16_t>(kScreenPortBase + random() % kScreenPortSpan);
    if (probe) {
        for (int i = 0; i < kScreenPortTries; ++i) {
            const int rc = TestPort(port);
            if (rc < 0) {
                return rc;
            }
            if (rc == 0) {
                break;
            }
            // After the last failure this port is used all the same.
            if (i + 1 < kScreenPortTries) {
                port = StepVideoPort(port, random() % kPortStepSpan + 1);
            }
        }
    }

    int rc = 0;
    {
        BusyScope busy(*this);
        rc = m_pScreenStream->Start(x, y, width, height, port, a, b);
    }
    if (rc < 0) {
        CopyError(*m_pScreenStream);
        return rc;
    }
    const int settleSteps = m_ScreenSettleSteps.load();
    for (int i = 0; i < settleSteps; ++i) {
        {
            BusyScope busy(*this);
            PumpTimerPaintMessages();
        }
        platform::SleepMs(kSettleStepMs);
    }
    StopPlayImage();

    const std::string url = BuildScreenVideoUrl(port);
    m_ScreenPort = port;
    rc = m_Cmd.PlayVideo(IsJpegSupported() ? kScreenVideoJpegMode : 0, kMediaOption, url);
    if (rc != kAnswerAccepted) {
        m_Cmd.SaveError();
        m_pScreenStream->Stop();
        m_Cmd.RestoreError();
        if (rc < 0) {
            CopyError(m_Cmd);
            return rc;
        }
        return PlayRefused(rc);
    }
    return QK_CLEAR_ERROR();
}

int VRXClient::StopK7RM() {
    QK_LOGF(LOG_INFO, "StopK7RM %d", IsBusy() ? 1 : 0);
    OperationLock lock;
    if (int rc = MediaGuard(lock, false); rc < 0) {
        return rc;
    }
    if (GetStatus() != kVrxScreenStream) {
        m_pScreenStream->Stop();
        return QK_CLEAR_ERROR();
    }
    const int rc = m_Cmd.StopVideo(0, BuildScreenVideoUrl(m_ScreenPort.load()), kStopStatus);
    if (rc > 0) {
        if (int stopped = m_pScreenStream->Stop(); stopped < 0) {
            CopyError(*m_pScreenStream);
            return stopped;
        }
        return QK_CLEAR_ERROR();
    }
    m_Cmd.SaveError();
    m_pScreenStream->Stop();
    m_Cmd.RestoreError();
    if (rc == kAnswerRefused) {
        return QK_ERROR(qkerr::kStopVideoStream);
    }
    CopyError(m_Cmd);
    return rc;
}

// ---------------------------------------------------------------------------
// media files

int VRXClient::PlayVideoFileW(const std::wstring& path, bool findPort, int transcode) {
    QK_LOGF(LOG_INFO, "PlayVideoFileW %s %d %d", platform::WideToUtf8(path).c_str(),
            findPort ? 1 : 0, transcode);
    OperationLock lock;
    if (int rc = MediaGuard(lock, true); rc < 0) {
        return rc;
    }
    return PlayMediaFile(path, findPort, transcode, false);
}

int VRXClient::PlayAudioFileW(const std::wstring& path, bool findPort) {
    QK_LOGF(LOG_INFO, "PlayAudioFileW %s %d %d", platform::WideToUtf8(path).c_str(),
            findPort ? 1 : 0, IsBusy() ? 1 : 0);
    OperationLock lock;
    if (int rc = MediaGuard(lock, true); rc < 0) {
        return rc;
    }
    return PlayMediaFile(path, findPort, 0, true);
}

int VRXClient::PlayMediaFile(const std::wstring& path, bool findPort, int transcode, bool audio) {
    const std::string narrow = platform::WideToUtf8(path);
    FILE* file = std::fopen(narrow.c_str(), "rb");
    if (!file) {
        return QK_ERROR(qkerr::kFileNotExist, narrow);
    }
    std::fclose(file);

    if (int rc = m_Cmd.CheckNCC(); rc == kAnswerConference) {
        return QK_ERROR(qkerr::kConferenceMode);
    } else if (rc < 0) {
        CopyError(m_Cmd);
        return rc;
    }
    StopTheOthers(3);
    if (findPort) {
        if (int rc = FindVideoPort(kFilePortTries); rc < 0) {
            return rc;
        }
    }

    const uint16_t port = CurrentVideoPort();
    if (int rc = m_pFileStream->Initialize(port, transcode != 0); rc < 0) {
        CopyError(*m_pFileStream);
        return rc;
    }
    std::string urlPath;
    int rc = 0;
    if (audio) {
        rc = m_pFileStream->Start(path, urlPath);
    } else {
        BusyScope busy(*this);
        rc = m_pFileStream->Start(path, urlPath);
    }
    if (rc < 0) {
        CopyError(*m_pFileStream);
        return rc;
    }

    const std::string url = BuildMediaUrl(port, urlPath);
    const bool withWindow = m_Window.load() != 0;
    if (audio && m_Cmd.IsProtocolAbove0111()) {
        rc = m_Cmd.PlayAudio(url, 0, withWindow ? 1 : 0);
    } else {
        rc = m_Cmd.PlayVideo(0, kMediaOption, url);
    }
    if (rc != kAnswerAccepted) {
        // The receiver will not fetch it: withdraw the file, keep the reason.
        m_Cmd.SaveError();
        m_pFileStream->Stop(path);
        m_Cmd.RestoreError();
        if (rc < 0) {
            CopyError(m_Cmd);
            return rc;
        }
        return PlayRefused(rc);
    }
    {
        std::lock_guard<std::mutex> guard(m_MediaLock);
        m_MediaFile = path;
        m_MediaUrl = url;
    }
    m_MediaProgress = 0;
    if (audio && withWindow && m_Cmd.IsProtocolAbove0112()) {
        StartAudioPicture();
    }
    return QK_CLEAR_ERROR();
}

int VRXClient::GetMediaProgress() {
    QK_LOGF(LOG_INFO, "GetMediaProgress %d", IsBusy() ? 1 : 0);
    OperationLock lock(m_OperationLock, boost::try_to_lock);
    if (!lock.owns_lock() || IsBusy()) {
        // Never the busy code: the position known last.
        return m_MediaProgress.load();
    }
    if (!IsMediaState(GetStatus())) {
        return 0;
    }
    const int rc = m_Cmd.GetVideoPos();
    if (rc < 0) {
        CopyError(m_Cmd);
        return rc;
    }
    m_MediaProgress = rc;
    return QK_ERROR(rc);
}

int VRXClient::GetMediaDuration() {
    QK_LOGF(LOG_INFO, "GetMediaDuration %d", IsBusy() ? 1 : 0);
    OperationLock lock;
    if (int rc = MediaGuard(lock, false); rc < 0) {
        return rc;
    }
    if (!IsMediaState(GetStatus()) || !m_Cmd.HasFbfBit04()) {
        return QK_CLEAR_ERROR();
    }
    const int rc = m_Cmd.GetVideoDuration();
    if (rc < 0) {
        CopyError(m_Cmd);
        return rc;
    }
    return QK_ERROR(rc);
}

int VRXClient::StopVideoFile() {
    QK_LOGF(LOG_INFO, "StopVideoFile %d", IsBusy() ? 1 : 0);
    OperationLock lock;
    if (int rc = MediaGuard(lock, false); rc < 0) {
        return rc;
    }
    if (CurrentMediaFile().empty()) {
        return QK_CLEAR_ERROR();
    }
    if (!IsMediaState(GetStatus())) {
        // The receiver plays nothing (or is gone): stop locally.
        StopImageChannel();
        ForgetMediaFile(false);
        return QK_CLEAR_ERROR();
    }
    const int rc = m_Cmd.StopVideo(0, CurrentMediaUrl(), kStopStatus);
    if (rc == kAnswerRefused) {
        return QK_ERROR(qkerr::kStopVideoStream);
    }
    m_Cmd.SaveError();
    StopImageChannel();
    ForgetMediaFile(true);
    m_Cmd.RestoreError();
    CopyError(m_Cmd);
    return rc;
}

int VRXClient::PauseResumeVideoFile() {
    QK_LOGF(LOG_INFO, "PauseResumeVideoFile %d", GetStatus());
    OperationLock lock;
    if (int rc = MediaGuard(lock, true); rc < 0) {
        return rc;
    }
    const uint32_t state = m_Cmd.GetPlayState();
    if (state != kPlayMedia && state != kPlayMediaPaused) {
        return QK_CLEAR_ERROR();
    }
    std::string url = CurrentMediaUrl();
    if (url.empty() && m_pScreenStream->IsRunning()) {
        url = BuildScreenVideoUrl(m_ScreenPort.load());
    }
    const int rc = m_Cmd.PauseVideo(0, url);
    if (rc < 0) {
        CopyError(m_Cmd);
        return rc;
    }
    if (rc == kAnswerRefused) {
        return QK_ERROR(qkerr::kPauseVideoStream);
    }
    return QK_CLEAR_ERROR();
}

int VRXClient::SeekVideoFile(int position) {
    QK_LOGF(LOG_INFO, "SeekVideoFile %d", position);
    OperationLock lock;
    if (int rc = MediaGuard(lock, true); rc < 0) {
        return rc;
    }
    if (GetStatus() != kVrxMediaPlaying) {
        return QK_CLEAR_ERROR();
    }
    // A position before the start is the start.
    position = std::max(position, 0);
    m_MediaProgress = position;
    const int rc = m_Cmd.SeekVideo(0, position, CurrentMediaUrl());
    if (rc < 0) {
        CopyError(m_Cmd);
        return rc;
    }
    if (rc == kAnswerRefused) {
        return QK_ERROR(qkerr::kSeekVideoStream);
    }
    return QK_CLEAR_ERROR();
}

// ---------------------------------------------------------------------------
// the receiver's stop-video event

void VRXClient::OnStopVideo(uint8_t reason, const std::string&, const uint8_t*) {
    // Waits for the operation lock like every receiver event, giving up when
    // the connection or the facade goes away meanwhile.
    OperationLock lock(m_OperationLock, boost::defer_lock);
    while (!lock.try_lock_for(boost::chrono::milliseconds(kSettleStepMs))) {
        if (!m_Cmd.IsConnected() || IsShuttingDown()) {
            return;
        }
    }
    if (reason == 0 && GetVideoFileRepeat()) {
        m_Cmd.RepeatMedia(CurrentMediaUrl());
        return;
    }
    if (m_pScreenStream->IsRunning()) {
        m_pScreenStream->Stop();
    }
    if (!CurrentMediaFile().empty()) {
        ForgetMediaFile(false);
        StopImageChannel();
    }
}

// ---------------------------------------------------------------------------
// the picture beside an audio file

void VRXClient::StartAudioPicture() {
    // The receiver takes the audio first: wait until that request and its
    // pre-buffering are over (at most 1000 steps of 30 ms).
    for (int i = 0; i < kPictureWaitSteps && m_Cmd.IsRequestPending(); ++i) {
        platform::SleepMs(kSettleStepMs);
    }
    const int coding = ChooseImageCoding(projection::kModeFullScreen, false);
    if (coding < 0) {
        QK_LOGF(LOG_WARN, "PlayAudioFileW: no image coding for the picture (%d)", coding);
        return;
    }
    bool changed = false;
    if (int rc = ChangeFrameBuffer(projection::kModeFullScreen, static_cast<uint8_t>(coding), false,
                                   changed);
        rc < 0) {
        QK_LOGF(LOG_WARN, "PlayAudioFileW: frame buffer refused (%d), audio only", rc);
        return;
    }
    m_IB.Stop(true);
    m_IB.CloseConnect();
    m_Cmd.ClearScreen(projection::kModeFullScreen, kPictureClearSeconds);

    DeviceCapRecord caps;
    {
        std::lock_guard<std::mutex> guard(m_RecordLock);
        caps = m_CapRecord;
    }
    const uint8_t* format = caps.ColourFormat();
    m_IB.SetWindowCapture(m_Window.load(), m_WindowFlag.load());
    m_IB.Set16BitRGB(format[0] == 5 && format[1] == 6 && format[2] == 5);
    m_IB.SetImageFile(std::u16string());
    if (m_IB.GetState() == kVrxDisconnected) {
        if (int rc = OpenImageChannel(); rc < 0) {
            QK_LOGF(LOG_WARN, "PlayAudioFileW: no image connection (%d), audio only", rc);
            return;
        }
    }
    if (int rc = StartImageEncoder(caps, projection::kModeFullScreen, coding, changed); rc < 0) {
        QK_LOGF(LOG_WARN, "PlayAudioFileW: picture not started (%d), audio only", rc);
        StopImageChannel();
    }
}

// ---------------------------------------------------------------------------
// receiver input: default callback bodies

void VRXClient::SwitchToLowLatency() {
    if (m_Cmd.IsProtocolAbove011D() && m_IB.IsConnected()) {
        m_IB.SetAckWindow(kLowLatencyAckWindow);
        m_Cmd.SetPreBufTime(0, false, false);
    }
}

void VRXClient::ResetPointerTracker() {
    std::lock_guard<std::mutex> guard(m_TrackerLock);
    m_PendingAxis = kNoAxis;
}

void VRXClient::TrackAbsoluteInput(const ByteString& record) {
    InputReplay::KeyRecord key;
    if (!InputReplay::ParseKeyRecord(record, &key) || key.type != kTypeAbsoluteAxis ||
        (key.code != kAxisX && key.code != kAxisY)) {
        return;
    }
    uint16_t x = 0, y = 0;
    {
        std::lock_guard<std::mutex> guard(m_TrackerLock);
        (key.code == kAxisX ? m_TrackX : m_TrackY) = static_cast<uint16_t>(key.value);
        if (m_PendingAxis == kNoAxis) {
            // The first axis of a pair: wait for the other one.
            m_PendingAxis = key.code;
            return;
        }
        // A record of the other axis completes the pair; one of the same
        // axis keeps it, so that each further record moves the pointer.
        if (m_PendingAxis != key.code) {
            m_PendingAxis = kNoAxis;
        }
        x = m_TrackX;
        y = m_TrackY;
    }
    OnPointerPosition(x, y);
}

void VRXClient::OnKeyboardCommand(const ByteString& record) {
    SwitchToLowLatency();
    TrackAbsoluteInput(record);
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
