// The PC's default audio output: whether there is one, its mute and its
// master volume. The sender mutes it while it projects the PC's sound and
// shows and sets its volume with the volume slider.
//
// Create() gives the PulseAudio form (it also speaks to PipeWire's Pulse
// service): every call connects to the user's sound server, acts on the
// default sink (@DEFAULT_SINK@) and disconnects, waiting at most
// kAudioCallTimeoutMs. Without a sound server every call fails and changes
// nothing. FakeAudioEndpoint stands in for tests.
// THREADING: any thread; one call at a time per object.
#pragma once

#include <memory>

namespace platform {

inline constexpr int kAudioCallTimeoutMs = 2000;

class AudioEndpoint {
public:
    virtual ~AudioEndpoint() = default;

    static std::unique_ptr<AudioEndpoint> Create();

    // True when a default output exists.
    virtual bool HasDefaultOutput() = 0;
    virtual bool GetMute(bool* muted) = 0;
    virtual bool SetMute(bool muted) = 0;
    // The master volume as a scalar from 0.0 to 1.0 (the average of the
    // channels; a boosted output reads 1.0).
    virtual bool GetVolume(float* scalar) = 0;
    // Sets every channel to `scalar`, clamped to 0.0..1.0.
    virtual bool SetVolume(float scalar) = 0;
};

}  // namespace platform
