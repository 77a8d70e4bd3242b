// The facade's media operations: the screen video stream, the playing of
// local video and audio files that the local web server serves (with the
// picture beside an audio file), and the receiver's stop-video event. The
// session's state is kept in MediaSession.
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
#include "vrxclientsdk/VRXClient/MediaCodes.h"
#include "vrxclientsdk/VRXClient/ProcessGlobals.h"
#include "vrxclientsdk/VRXClient/ProjectionRules.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"
#include "vrxclientsdk/VRXClient/input/InputReplay.h"
#include "vrxclientsdk/VRXClient/media/VideoFileStream.h"
#include "vrxclientsdk/VRXClient/media/VideoPorts.h"
#include "vrxclientsdk/VRXClient/media/VideoScreenStream.h"

using namespace media;

namespace {

// PlayVideo: the first mode byte for receivers that take JPEG (0x40) or not,
// and the option byte of every media play.
constexpr uint8_t kScreenVideoJpegMode = 0x40;
constexpr uint8_t kMediaOption = 3;
// The status bytes of a stop the sender asks for.
constexpr uint8_t kStopStatus[4] = {1, 0, 0, 0};

// The screen stream starts at a random port of 10000..59999.
constexpr unsigned kScreenPortBase = 10000;
constexpr unsigned kScreenPortSpan = 50000;
constexpr int kScreenPortTries = 10;
constexpr int kFilePortTries = 3;

// The screen stream settles for 150 steps of 30 ms (4.5 s) before the
// receiver connects: the helper's encoder needs its first key frames.
constexpr uint32_t kSettleStepMs = 30;

// The picture beside an audio file: how long it waits for the audio request
// (steps of 30 ms), and how long the receiver may take to clear its screen.
constexpr int kPictureWaitSteps = 1000;
constexpr int kPictureClearSeconds = 5;

}  // namespace

void VRXClient::ResetVideoPortFoundForTest() {
    MediaSession::SetVideoPortFound(false);
}

void VRXClient::SetScreenStreamHelperFolderForTest(const std::string& folder) {
    m_Media.SetScreenStreamForTest(std::make_unique<VideoScreenStream>(folder));
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

void VRXClient::ForgetMediaFile(bool busyStep) {
    const std::wstring file = m_Media.File();
    if (busyStep) {
        BusyScope busy(*this);
        m_Media.FileStream().Stop(file);
    } else {
        m_Media.FileStream().Stop(file);
    }
    m_Media.Clear();
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

    std::minstd_rand random = PortSearchGenerator();
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
        rc = m_Media.ScreenStream().Start(x, y, width, height, port, a, b);
    }
    if (rc < 0) {
        CopyError(m_Media.ScreenStream());
        return rc;
    }
    const int settleSteps = m_Media.ScreenSettleSteps();
    for (int i = 0; i < settleSteps; ++i) {
        {
            BusyScope busy(*this);
            PumpTimerPaintMessages();
        }
        platform::SleepMs(kSettleStepMs);
    }
    StopPlayImage();

    const std::string url = MediaSession::ScreenVideoUrl(LocalIPv4(), port);
    m_Media.SetScreenPort(port);
    rc = m_Cmd.PlayVideo(IsJpegSupported() ? kScreenVideoJpegMode : 0, kMediaOption, url);
    if (rc != kAnswerAccepted) {
        m_Cmd.SaveError();
        m_Media.ScreenStream().Stop();
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
        m_Media.ScreenStream().Stop();
        return QK_CLEAR_ERROR();
    }
    const int rc = m_Cmd.StopVideo(
        0, MediaSession::ScreenVideoUrl(LocalIPv4(), m_Media.ScreenPort()), kStopStatus);
    if (rc > 0) {
        if (int stopped = m_Media.ScreenStream().Stop(); stopped < 0) {
            CopyError(m_Media.ScreenStream());
            return stopped;
        }
        return QK_CLEAR_ERROR();
    }
    m_Cmd.SaveError();
    m_Media.ScreenStream().Stop();
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
    m_Media.FileStream().SetReceiver(m_PeerAddress.load());
    if (int rc = m_Media.FileStream().Initialize(port, transcode != 0); rc < 0) {
        CopyError(m_Media.FileStream());
        return rc;
    }
    std::string urlPath;
    int rc = 0;
    if (audio) {
        rc = m_Media.FileStream().Start(path, urlPath);
    } else {
        BusyScope busy(*this);
        rc = m_Media.FileStream().Start(path, urlPath);
    }
    if (rc < 0) {
        CopyError(m_Media.FileStream());
        return rc;
    }

    const std::string url = MediaSession::FileUrl(LocalIPv4(), port, urlPath);
    const bool withWindow = m_Settings.Window() != 0;
    if (audio && m_Cmd.IsProtocolAbove0111()) {
        rc = m_Cmd.PlayAudio(url, 0, withWindow ? 1 : 0);
    } else {
        rc = m_Cmd.PlayVideo(0, kMediaOption, url);
    }
    if (rc != kAnswerAccepted) {
        // The receiver will not fetch it: withdraw the file, keep the reason.
        m_Cmd.SaveError();
        m_Media.FileStream().Stop(path);
        m_Cmd.RestoreError();
        if (rc < 0) {
            CopyError(m_Cmd);
            return rc;
        }
        return PlayRefused(rc);
    }
    m_Media.SetPlaying(path, url);
    m_Media.SetProgress(0);
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
        return m_Media.Progress();
    }
    if (!IsMediaState(GetStatus())) {
        return 0;
    }
    const int rc = m_Cmd.GetVideoPos();
    if (rc < 0) {
        CopyError(m_Cmd);
        return rc;
    }
    m_Media.SetProgress(rc);
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
    if (m_Media.File().empty()) {
        return QK_CLEAR_ERROR();
    }
    if (!IsMediaState(GetStatus())) {
        // The receiver plays nothing (or is gone): stop locally.
        StopImageChannel();
        ForgetMediaFile(false);
        return QK_CLEAR_ERROR();
    }
    const int rc = m_Cmd.StopVideo(0, m_Media.Url(), kStopStatus);
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
    std::string url = m_Media.Url();
    if (url.empty() && m_Media.ScreenStream().IsRunning()) {
        url = MediaSession::ScreenVideoUrl(LocalIPv4(), m_Media.ScreenPort());
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
    m_Media.SetProgress(position);
    const int rc = m_Cmd.SeekVideo(0, position, m_Media.Url());
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
        // A file plays again; the screen stream is offered again by its
        // own URL. Nothing else is repeated: it is torn down below.
        std::string url = m_Media.Url();
        if (url.empty() && m_Media.ScreenStream().IsRunning()) {
            url = MediaSession::ScreenVideoUrl(LocalIPv4(), m_Media.ScreenPort());
        }
        if (!url.empty()) {
            m_Cmd.RepeatMedia(url);
            return;
        }
    }
    if (m_Media.ScreenStream().IsRunning()) {
        m_Media.ScreenStream().Stop();
    }
    if (!m_Media.File().empty()) {
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

    const DeviceCapRecord caps = GetCapRecord();
    m_IB.SetWindowCapture(m_Settings.Window(), m_Settings.WindowClientAreaOnly());
    m_IB.Set16BitRGB(caps.IsFormat565());
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
