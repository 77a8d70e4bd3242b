// AudioRouting: the sender's hold on the PC's own sound. While it projects
// the PC's audio to a receiver it keeps the PC's speakers quiet (the
// default output's mute), the volume slider reads and sets the output's
// volume, and at exit the output's mute is put back as it was at start.
//
// Systems of code 17 and above (this one: code 19) work on the default
// output endpoint. The helper programs that older systems needed (the
// mixer device tester, the volume tool, the audio repeater, the mixer
// controller window) are not installed on this system: each step that
// would start one logs that it is not installed, and no process is ever
// looked for or ended by name. Nothing outside the program's folders is
// deleted.
// THREADING: user-interface thread.
#pragma once

#include "platform/audio/audio_endpoint.h"

class Logger;

namespace pemuapp {

class AudioRouting {
public:
    // `endpoint` is borrowed and must outlive the object (null: no output);
    // `osCode` is the operating-system code; `log` may be null.
    AudioRouting(platform::AudioEndpoint* endpoint, int osCode, Logger* log);

    // The start-up steps of the main dialog: records whether the output is
    // muted now, runs the volume helper step, the mixer check and the
    // routing thread step. On codes 17 and above the virtual-cable message
    // is not needed: *showVacMessage becomes false and the mixer state 0.
    void StartUp(bool* showVacMessage);
    bool MutedAtStartUp() const { return m_mutedAtStartUp; }
    // 0 when a mixer driver is present (or not needed), -1 when not.
    int MixerDriverState() const { return m_mixerState; }

    // Mutes or unmutes the default output (codes 17 to 19; nothing on
    // others). The client's projection start and stop use it too.
    void MuteLocalVolume(bool mute);
    // The volume tool's "Volume" step: not installed here, logged once.
    void SetVolume();

    // The volume slider's pair: the output's master volume (0.0 to 1.0).
    // Setting it mutes the output afterwards when `thenMute` is true.
    bool GetLocalVolume(float* scalar);
    bool SetLocalVolume(float scalar, bool thenMute);

    // True when a default output exists and is not muted: the settings'
    // Volume is 0 otherwise.
    bool DefaultOutputAudible();

    // At exit: the output's mute as it was at start-up.
    void RestoreAudioRouting();

private:
    bool Modern() const { return m_osCode >= 17 && m_osCode <= 19; }
    void LogMissingHelper(const char* what);

    platform::AudioEndpoint* m_endpoint;
    int m_osCode;
    Logger* m_log;
    bool m_mutedAtStartUp = false;
    int m_mixerState = -1;
    bool m_helperNoticeGiven = false;
};

}  // namespace pemuapp
