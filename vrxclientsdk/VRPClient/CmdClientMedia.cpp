// CmdClient: the media requests (play, stop, pause and seek a media, the
// volume, the position and the duration) and the pre-buffer wait's closing
// mute step.
#include <algorithm>
#include <optional>

#include "platform/clock.h"
#include "vrxclientsdk/VRPClient/CmdClient.h"
#include "vrxclientsdk/VRPClient/CmdCodes.h"
#include "vrxclientsdk/VRPClient/CommandWriter.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

// Steps of 30 ms that the pre-buffer wait allows after a play and after a
// seek (receivers that report the end themselves get more: PreBufferWait).
constexpr int kPlayPreBufSteps = 200;
constexpr int kSeekPreBufSteps = 66;

}  // namespace

// ---------------------------------------------------------------------------
// media

int CmdClient::PlayMediaFailed(int result, uint32_t previousState, const std::string& url) {
    if (result < 0) {
        SaveError();
        if (result == qkerr::kResponseTimeout) {
            // The receiver may have started after all: withdraw the play.
            const uint8_t status[cmd::kStatusBytes] = {1, 0, 0, 0};
            StopVideo(0, url, status);
        }
        RestoreError();
    }
    m_PlayState = previousState;
    m_PreBuf.Finish();
    return result;
}

int CmdClient::PlayVideo(uint8_t mode, uint8_t option, const std::string& url) {
    QK_LOGF(LOG_INFO, "PlayVideo 0x%02X 0x%02X %s %u", mode, option, url.c_str(),
            m_PlayState.load());
    const std::optional<ByteString> p = CommandWriter::PlayVideo(mode, option, url);
    if (!p) {
        // Cutting it would make the receiver fetch another address.
        QK_LOGF(LOG_ERROR, "PlayVideo URL of %d bytes does not fit", static_cast<int>(url.size()));
        return QK_ERROR(qkerr::kPlayVideoStream);
    }
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    const uint32_t previous = m_PlayState.exchange(kPlayMedia);
    m_LastMediaAudio = false;
    m_PreBuf.Expect();
    int rc = RequestByte(cmd::kPlayVideo, "PlayVideo", *p, cmd::kPlayVideoTimeout);
    if (rc != 1) {
        return PlayMediaFailed(rc, previous, url);
    }
    m_PreBuf.Start(kPlayPreBufSteps, m_Mute.load());
    return rc;
}

int CmdClient::PlayAudio(const std::string& url, uint32_t value, uint8_t option) {
    QK_LOGF(LOG_INFO, "PlayAudio %s %u %d", url.c_str(), value, option);
    const std::optional<ByteString> p = CommandWriter::PlayAudio(url, value, option);
    if (!p) {
        QK_LOGF(LOG_ERROR, "PlayAudio URL of %d bytes does not fit", static_cast<int>(url.size()));
        return QK_ERROR(qkerr::kPlayVideoStream);
    }
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    const uint32_t previous = m_PlayState.exchange(kPlayMedia);
    m_LastMediaAudio = true;
    m_LastAudioOption = option;
    m_PreBuf.Expect();
    const int timeout = std::max<int>(1, static_cast<int>(m_AliveTimeout.load()) - 5);
    int rc = RequestByte(cmd::kPlayAudio, "PlayAudio", *p, timeout);
    if (rc != 1) {
        return PlayMediaFailed(rc, previous, url);
    }
    m_PreBuf.Start(kPlayPreBufSteps, m_Mute.load());
    return rc;
}

int CmdClient::RepeatMedia(const std::string& url) {
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    QK_LOGF(LOG_INFO, "RepeatMedia %s %d %d", url.c_str(), m_LastMediaAudio ? 1 : 0,
            m_LastAudioOption);
    if (m_LastMediaAudio) {
        return PlayAudio(url, 0, m_LastAudioOption);
    }
    return PlayVideo(0, 3, url);
}

int CmdClient::StopVideo(uint8_t mode, const std::string& url, const uint8_t* status) {
    static const uint8_t kNoStatus[cmd::kStatusBytes] = {};
    if (!status) {
        status = kNoStatus;
    }
    QK_LOGF(LOG_INFO, "StopVideo 0x%02X %s 0x%02X 0x%02X 0x%02X 0x%02X %u", mode, url.c_str(),
            status[0], status[1], status[2], status[3], m_PlayState.load());
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    const uint32_t previous = m_PlayState.load();
    if (previous != kPlayMedia && previous != kPlayMediaPaused) {
        return SetError(1, __FILE__, __LINE__);
    }
    const std::optional<ByteString> p = CommandWriter::StopVideo(mode, url, status);
    if (!p) {
        return QK_ERROR(qkerr::kStopVideoStream);
    }
    m_PlayState = kPlayIdle;
    m_PreBuf.Wake();
    int rc = RequestByte(cmd::kStopVideo, "StopVideo", *p, cmd::kStopVideoTimeout);
    if (rc == 0 || (rc < 0 && rc != qkerr::kResponseTimeout)) {
        m_PlayState = previous;
    }
    return rc;
}

int CmdClient::PauseVideo(uint8_t mode, const std::string& url) {
    QK_LOGF(LOG_INFO, "PauseVideo 0x%02X %s %u", mode, url.c_str(), m_PlayState.load());
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    const uint32_t previous = m_PlayState.load();
    if (previous != kPlayMedia && previous != kPlayMediaPaused) {
        return SetError(1, __FILE__, __LINE__);
    }
    const std::optional<ByteString> p = CommandWriter::PauseVideo(mode, url);
    if (!p) {
        return QK_ERROR(qkerr::kPauseVideoStream);
    }
    m_PlayState = previous == kPlayMedia ? kPlayMediaPaused : kPlayMedia;
    int rc = RequestByte(cmd::kPauseVideo, "PauseVideo", *p, cmd::kRequestTimeout);
    if (rc <= 0) {
        m_PlayState = previous;
    }
    return rc;
}

int CmdClient::SeekVideo(uint8_t mode, int32_t position, const std::string& url) {
    QK_LOGF(LOG_INFO, "SeekVideo 0x%02X %d %s", mode, position, url.c_str());
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    const std::optional<ByteString> p = CommandWriter::SeekVideo(mode, position, url);
    if (!p) {
        return QK_ERROR(qkerr::kSeekVideoStream);
    }
    m_PreBuf.Expect();
    int rc = RequestByte(cmd::kSeekVideo, "SeekVideo", *p, cmd::kRequestTimeout);
    if (rc == 1) {
        m_PreBuf.Start(kSeekPreBufSteps, false);
    }
    return rc;
}

int CmdClient::SetVideoVol(uint8_t volume) {
    QK_LOGF(LOG_INFO, "SetVideoVol 0x%02X", volume);
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    if (volume != 255 && m_Mute.load()) {
        MuteUnmuteVolume();
    }
    return RequestByte(cmd::kSetVideoVol, "SetVideoVol", ByteString(1, static_cast<char>(volume)),
                       cmd::kRequestTimeout);
}

int CmdClient::MuteUnmuteVolume() {
    QK_LOGF(LOG_INFO, "MuteUnmuteVolume %d", m_Mute.load() ? 1 : 0);
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    const uint32_t state = m_PlayState.load();
    if (IsConnected() && (state == kPlayMedia || state == kPlayMediaPaused)) {
        int rc = SetVideoVol(255);
        if (rc < 0) {
            return rc;
        }
        if (rc == 0) {
            return QK_ERROR(qkerr::kSetVideoVolume);
        }
    }
    const bool muted = !m_Mute.load();
    m_Mute = muted;
    return SetError(muted ? 0 : 1, __FILE__, __LINE__);
}

int CmdClient::GetMuteState() {
    const int on = m_Mute.load() ? 0 : 1;
    QK_LOGF(LOG_INFO, "GetMuteState %d", on);
    return on;
}

int CmdClient::GetVideoPos() {
    QK_LOGF(LOG_INFO, "GetVideoPos");
    return RequestI32(cmd::kGetVideoPos, "GetVideoPos", {}, "GetVideoPos VPOS_RET",
                      qkerr::kVideoPosition);
}

int CmdClient::GetVideoDuration() {
    QK_LOGF(LOG_INFO, "GetVideoDuration");
    return RequestI32(cmd::kGetVideoDuration, "GetVideoDuration",
                      ByteString(cmd::kVideoDurationPayload, '\0'), "GetVideoDuration VDUR_RET",
                      qkerr::kVideoDuration);
}

// ---------------------------------------------------------------------------
// pre-buffer wait

void CmdClient::MuteAfterPreBuffer(const std::atomic<bool>& cancelled) {
    // The receiver starts a new media unmuted: mute it again. The lock is
    // only tried, so that a joiner holding it never waits for this step.
    boost::recursive_mutex::scoped_lock lock(m_CmdLock, boost::defer_lock);
    while (!cancelled.load() && !lock.try_lock()) {
        platform::SleepMs(1);
    }
    if (lock.owns_lock()) {
        m_Mute = false;
        MuteUnmuteVolume();
    }
}
