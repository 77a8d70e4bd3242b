#include "app/system/audio_routing.h"

#include "vrxclientsdk/VRPClient/Logger.h"

namespace pemuapp {

AudioRouting::AudioRouting(platform::AudioEndpoint* endpoint, int osCode, Logger* log)
    : m_endpoint(endpoint), m_osCode(osCode), m_log(log) {}

void AudioRouting::LogMissingHelper(const char* what) {
    if (!m_helperNoticeGiven) {
        m_helperNoticeGiven = true;
        QK_LOG(m_log, LOG_DEBUG,
               "%s: the audio helper programs are not installed on this system; the default "
               "output is used directly",
               what);
    }
}

void AudioRouting::StartUp(bool* showVacMessage) {
    bool muted = false;
    m_mutedAtStartUp = m_endpoint && m_endpoint->GetMute(&muted) && muted;
    QK_LOG(m_log, LOG_DEBUG, "audio at start-up: output %s", m_mutedAtStartUp ? "muted" : "on");
    SetVolume();
    if (m_osCode >= 17) {
        // No virtual audio cable is needed: the output is used directly.
        *showVacMessage = false;
        m_mixerState = 0;
        return;
    }
    // Older systems routed the sound through a mixer with helper programs,
    // none of which exist here.
    LogMissingHelper("CheckAudioMixerInstalled");
}

void AudioRouting::MuteLocalVolume(bool mute) {
    QK_LOG(m_log, LOG_DEBUG, "\tMuteLocalVolumed %d", mute ? 1 : 0);
    if (Modern() && m_endpoint && !m_endpoint->SetMute(mute)) {
        QK_LOG(m_log, LOG_DEBUG, "MuteLocalVolume: no default output to mute");
    }
}

void AudioRouting::SetVolume() {
    QK_LOG(m_log, LOG_DEBUG, "\\SetVolume");
    if (Modern()) {
        LogMissingHelper("SetVolume");
    }
}

bool AudioRouting::GetLocalVolume(float* scalar) {
    return m_endpoint && m_endpoint->GetVolume(scalar);
}

bool AudioRouting::SetLocalVolume(float scalar, bool thenMute) {
    if (!m_endpoint || !m_endpoint->SetVolume(scalar)) {
        return false;
    }
    return !thenMute || m_endpoint->SetMute(true);
}

bool AudioRouting::DefaultOutputAudible() {
    bool muted = false;
    return m_endpoint && m_endpoint->HasDefaultOutput() && m_endpoint->GetMute(&muted) && !muted;
}

void AudioRouting::RestoreAudioRouting() {
    // What the volume tool's "UnMute" did at exit: the speakers sound again
    // unless they were muted before the program started.
    if (Modern() && m_endpoint) {
        m_endpoint->SetMute(m_mutedAtStartUp);
    }
}

}  // namespace pemuapp
