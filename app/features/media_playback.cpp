#include "app/features/media_playback.h"

#include <algorithm>
#include <utility>

#include "app/features/feature_host.h"
#include "app/features/message_box.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace pemuapp {

MediaPlayback::MediaPlayback(FeatureHost& host, CheckedReceivers& rows, ProbeFactory probes)
    : m_host(host), m_rows(rows), m_probes(std::move(probes)) {}

std::string MediaPlayback::Refuse() {
    ShowFeatureMessage(m_host, 65292, 65295);
    return {};
}

std::string MediaPlayback::ChooseMediaFile(const std::string& path) {
    m_audioFile = false;
    if (path.empty()) {
        return {};
    }
    const std::string ext = MediaExtension(path);
    if (ext == "m4t") {
        return {};
    }
    const bool audio = ext == "mp3" || ext == "wma" || ext == "wav";
    const bool container = ext == "mov" || ext == "mp4";
    std::unique_ptr<MediaFacts> probe = m_probes ? m_probes() : nullptr;
    if (audio || container) {
        m_audioFile = audio;
        m_duration = 0;
        if (probe && probe->Open(path) &&
            (IsMediaEncrypted(*probe) || !IsAudioCodecListSupported(*probe))) {
            return Refuse();
        }
        return path;
    }
    if (!probe) {
        return path;  // without the library every file goes unchecked
    }
    if (!probe->Open(path) || !IsVideoCodecSupported(*probe) ||
        !IsAudioCodecListSupported(*probe) || IsMediaEncrypted(*probe)) {
        return Refuse();
    }
    m_duration = static_cast<int>(std::min<int64_t>(GetMediaPlayTime(*probe) / 1000, INT32_MAX));
    return path;
}

bool MediaPlayback::CheckReceiverSelection() {
    const int n = m_rows.CheckedCount();
    if (n >= 1 && n <= 4) {
        return true;
    }
    ShowFeatureMessage(m_host, 65292, n == 0 ? 65338 : 65337);
    return false;
}

bool MediaPlayback::MediaPlaying() {
    VRXClient* client = m_host.Client();
    return client && client->GetStatus() == kVrxMediaPlaying;
}

bool MediaPlayback::PlayMediaFile(const std::string& path) {
    m_rows.StopPlayImage();
    if (MediaPlaying()) {
        m_position = 0.0f;
    }
    m_progressRunning = false;
    m_playing = true;
    const int started = m_audioFile ? m_rows.PlayAudioFile(path) : m_rows.PlayVideoFile(path);
    if (started <= 0) {
        m_playing = false;
        return false;
    }
    m_progressRunning = true;
    m_tickArmed = m_duration > 0;
    if (m_repeat) {
        m_rows.SetRepeat(true);
    }
    m_paused = false;
    return true;
}

void MediaPlayback::Tick() {
    if (!MediaPlaying()) {
        m_position = 0.0f;
        m_tickArmed = false;
        return;
    }
    if (m_progressRunning && m_duration > 0 && m_position < kSliderTickLimit) {
        m_position =
            std::min(m_position + kSliderWidth / static_cast<float>(m_duration), kSliderTickLimit);
    }
}

float MediaPlayback::GetSliderPosition() const {
    return std::clamp(m_position, 0.0f, kSliderWidth);
}

void MediaPlayback::OnSliderMoved(float x) {
    if (MediaPlaying()) {
        m_position = std::clamp(x, 0.0f, kSliderWidth);
    }
}

void MediaPlayback::SeekMediaFile(float x) {
    if (m_duration <= 0) {
        return;  // nothing to convert the knob into
    }
    const double seconds = static_cast<double>(std::clamp(x, 0.0f, kSliderWidth)) * m_duration /
                           static_cast<double>(kSliderWidth);
    m_rows.SeekVideoFile(static_cast<int>(seconds));
    m_tickArmed = false;
}

bool MediaPlayback::TogglePauseMedia() {
    const int reached = m_paused ? m_rows.ResumeVideoFile() : m_rows.PauseVideoFile();
    if (reached <= 0) {
        return false;
    }
    m_paused = !m_paused;
    m_tickArmed = MediaPlaying() && m_duration > 0;
    return true;
}

bool MediaPlayback::StopMedia() {
    m_tickArmed = false;
    m_position = 0.0f;
    m_playing = false;
    m_paused = false;
    return m_rows.StopVideoFile() > 0;
}

void MediaPlayback::ToggleMediaMute() {
    m_muted = !m_muted;
    if (m_rows.MuteUnmute() <= 0) {
        m_muted = !m_muted;
    }
}

void MediaPlayback::ToggleMediaRepeat() {
    m_repeat = !m_repeat;
    m_rows.SetRepeat(m_repeat);
}

void MediaPlayback::SetMediaVolume(int level) {
    m_volume = level;
    m_rows.SetVolume(level);
}

}  // namespace pemuapp
