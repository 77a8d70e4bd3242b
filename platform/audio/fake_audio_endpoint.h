// An audio output for tests: its state, every change recorded, and a
// switch for a system without one.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/audio/audio_endpoint.h"

namespace platform {

class FakeAudioEndpoint final : public AudioEndpoint {
public:
    bool HasDefaultOutput() override { return present; }
    bool GetMute(bool* out) override {
        if (present) {
            *out = muted;
        }
        return present;
    }
    bool SetMute(bool on) override {
        calls.push_back(on ? "SetMute 1" : "SetMute 0");
        if (present) {
            muted = on;
        }
        return present;
    }
    bool GetVolume(float* out) override {
        if (present) {
            *out = volume;
        }
        return present;
    }
    bool SetVolume(float scalar) override {
        calls.push_back("SetVolume " + std::to_string(scalar));
        if (present) {
            volume = std::clamp(scalar, 0.0f, 1.0f);
        }
        return present;
    }

    bool present = true;
    bool muted = false;
    float volume = 0.5f;
    std::vector<std::string> calls;
};

}  // namespace platform
