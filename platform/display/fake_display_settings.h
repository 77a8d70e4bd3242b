// Display settings for tests: a configurable screen, every call recorded.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/display/display_settings.h"

namespace platform {

class FakeDisplaySettings final : public DisplaySettings {
public:
    bool GetDesktopConfig(int index, DesktopConfig* out) override {
        Call("GetDesktopConfig " + std::to_string(index));
        if (index != 0 || !out) {
            return false;
        }
        std::lock_guard<std::mutex> guard(m_lock);
        *out = screen;
        return true;
    }
    void BackupComposition() override { Call("BackupComposition"); }
    void SetComposition(bool on) override { Call("SetComposition " + std::to_string(on ? 1 : 0)); }
    int GetAccel() override {
        Call("GetAccel");
        return accel;
    }
    void BackupAccel() override { Call("BackupAccel"); }
    void SetDirectDraw(bool on) override { Call("SetDirectDraw " + std::to_string(on ? 1 : 0)); }
    bool SetDisplay(int mode, int width, int height, int depth) override {
        Call("SetDisplay " + Args(mode, width, height, depth));
        return setDisplayResult;
    }
    int SetDisplayEx(int mode, int width, int height, int depth, int flags) override {
        Call("SetDisplayEx " + Args(mode, width, height, depth) + " " + std::to_string(flags));
        return setDisplayExResult;
    }
    std::vector<DisplayMode> GetModes(int index) override {
        Call("GetModes " + std::to_string(index));
        std::lock_guard<std::mutex> guard(m_lock);
        return index == 0 ? modes : std::vector<DisplayMode>();
    }
    std::vector<DisplayOutput> AttachedOutputs() override {
        Call("AttachedOutputs");
        std::lock_guard<std::mutex> guard(m_lock);
        return outputs;
    }
    void RestoreAll() override { Call("RestoreAll"); }
    std::vector<std::string> Recorded() override { return {}; }

    std::vector<std::string> Calls() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_calls;
    }

    DesktopConfig screen{1920, 1080, 32, 60, 0};
    std::vector<DisplayMode> modes{{1920, 1080, 60}, {1280, 720, 60}};
    std::vector<DisplayOutput> outputs{{"screen", true, false}};
    int accel = kFullAccel;
    bool setDisplayResult = true;
    int setDisplayExResult = 0;

private:
    static std::string Args(int mode, int width, int height, int depth) {
        return std::to_string(mode) + " " + std::to_string(width) + " " + std::to_string(height) +
               " " + std::to_string(depth);
    }
    void Call(const std::string& call) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_calls.push_back(call);
    }

    std::mutex m_lock;
    std::vector<std::string> m_calls;
};

}  // namespace platform
