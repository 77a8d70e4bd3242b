// MainSystemSide: the PC's side of the main dialog's run. It classifies the
// operating system once, switches desktop composition off where that code
// asks for it, remembers whether the speakers were muted at start and keeps
// them quiet while the main client projects, keeps the PC awake while
// AutoPowerManager is on, notes the screen size and display modes, switches
// to 1920 x 1080 for projection when ChangeResolution asks for it, and puts
// all of it back at exit.
//
// Every platform service is borrowed and may be null (that part is then
// skipped): the program hands the real ones, tests their fakes.
// THREADING: user-interface thread.
#pragma once

#include <memory>
#include <vector>

#include "app/maindlg/projection_surroundings.h"
#include "app/settings/sender_settings.h"
#include "app/system/audio_routing.h"
#include "app/system/power_scheme_manager.h"
#include "platform/display/display_settings.h"

class Logger;

namespace platform {
class AudioEndpoint;
class PowerPlans;
}  // namespace platform

namespace pemuapp {

struct SystemServices {
    platform::AudioEndpoint* audio = nullptr;
    platform::PowerPlans* power = nullptr;
    platform::DisplaySettings* display = nullptr;
    int osCode = -1;  // -1: the running system's
};

class MainSystemSide final : public ProjectionSurroundings {
public:
    // `settings` is the main dialog's and outlives this object.
    MainSystemSide(SystemServices services, const SenderSettings& settings, Logger* log);
    ~MainSystemSide() override;

    // The start-up steps: composition, the audio output, the display modes
    // and screen size, the power plan.
    void StartUp();
    // At exit: composition back on, the speakers as they were at start, the
    // power plan and the display mode that were active before.
    void Exit();
    // The local output sounds again unless it was muted before the program
    // started (a lost connection ends the projection without a stop).
    void UnmuteUnlessMutedAtStart();
    // While the main client projects (AutoPowerManager switched at run time).
    void SetPowerManagement(bool on);

    int OsCode() const { return m_osCode; }
    bool MutedAtStartUp() const { return m_audio.MutedAtStartUp(); }
    // 0 when a mixer driver is present or not needed, -1 when not.
    int MixerDriverState() const { return m_audio.MixerDriverState(); }
    bool PowerSwitched() const { return m_power && m_power->IsSwitched(); }
    const std::vector<platform::DisplayMode>& DisplayModes() const { return m_modes; }

    // --- ProjectionSurroundings ---------------------------------------------
    void BeforeProjectionStart(VRXClient& client) override;
    void ProjectionStarted() override;
    void ProjectionStopped(VRXClient& client, bool stopped) override;

private:
    bool SwitchesComposition() const { return m_osCode == 17 || m_osCode == 18; }
    bool Offers1080p() const;

    SystemServices m_services;
    const SenderSettings& m_settings;
    Logger* m_log;
    int m_osCode;
    AudioRouting m_audio;
    std::unique_ptr<PowerSchemeManager> m_power;
    std::vector<platform::DisplayMode> m_modes;
    int m_screenWidth = 0, m_screenHeight = 0;
    bool m_exited = false;
};

}  // namespace pemuapp
