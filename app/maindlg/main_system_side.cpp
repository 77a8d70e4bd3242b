#include "app/maindlg/main_system_side.h"

#include "app/system/os_version.h"
#include "vrxclientsdk/VRPClient/Logger.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace pemuapp {
namespace {

constexpr int kProjectionWidth = 1920, kProjectionHeight = 1080;

int OsCodeOf(const SystemServices& services) {
    return services.osCode >= 0 ? services.osCode : ClassifyOsVersion(CurrentOsVersion());
}

}  // namespace

MainSystemSide::MainSystemSide(SystemServices services, const SenderSettings& settings, Logger* log)
    : m_services(services),
      m_settings(settings),
      m_log(log),
      m_osCode(OsCodeOf(services)),
      m_audio(services.audio, m_osCode, log) {
    if (m_services.power) {
        m_power = std::make_unique<PowerSchemeManager>(m_services.power, log);
    }
}

MainSystemSide::~MainSystemSide() {
    Exit();
}

void MainSystemSide::StartUp() {
    QK_LOG(m_log, LOG_DEBUG, "operating-system code %d", m_osCode);
    if (SwitchesComposition() && m_services.display) {
        m_services.display->BackupComposition();
        m_services.display->SetComposition(false);
    }
    bool showVacMessage = true;
    m_audio.StartUp(&showVacMessage);
    if (m_services.display) {
        m_modes = m_services.display->GetModes(0);
        platform::DesktopConfig config;
        if (m_services.display->GetDesktopConfig(0, &config)) {
            m_screenWidth = config.width;
            m_screenHeight = config.height;
        }
    }
    if (m_settings.autoPowerManager) {
        SetPowerManagement(true);
    }
}

void MainSystemSide::SetPowerManagement(bool on) {
    if (!m_power) {
        return;
    }
    if (on) {
        m_power->EnsureOwnPowerScheme();
    } else if (m_power->IsSwitched()) {
        m_power->RestorePowerScheme();
    }
}

void MainSystemSide::Exit() {
    if (m_exited) {
        return;
    }
    m_exited = true;
    if (SwitchesComposition() && m_services.display) {
        m_services.display->SetComposition(true);
    }
    m_audio.RestoreAudioRouting();
    if (m_power && m_power->IsSwitched()) {
        m_power->RestorePowerScheme();
    }
    if (m_services.display) {
        m_services.display->RestoreAll();
    }
}

void MainSystemSide::UnmuteUnlessMutedAtStart() {
    if (!m_audio.MutedAtStartUp()) {
        m_audio.MuteLocalVolume(false);
    }
}

bool MainSystemSide::Offers1080p() const {
    for (const platform::DisplayMode& mode : m_modes) {
        if (mode.width == kProjectionWidth && mode.height == kProjectionHeight) {
            return true;
        }
    }
    return false;
}

void MainSystemSide::BeforeProjectionStart(VRXClient& client) {
    if (m_settings.changeResolution && Offers1080p()) {
        client.SetClientDisplay(kProjectionWidth, kProjectionHeight, m_settings.enableAsc, false,
                                true);
    }
}

void MainSystemSide::ProjectionStarted() {
    m_audio.MuteLocalVolume(true);
}

void MainSystemSide::ProjectionStopped(VRXClient& client, bool stopped) {
    if (stopped) {
        UnmuteUnlessMutedAtStart();
    }
    // The size the screen had at start; unknown (no display) changes nothing.
    if (m_settings.changeResolution && m_screenWidth > 0 && m_screenHeight > 0) {
        client.SetClientDisplay(m_screenWidth, m_screenHeight, m_settings.enableAsc, false, true);
    }
}

}  // namespace pemuapp
