#include "app/system/extended_desktop.h"

#include "vrxclientsdk/VRPClient/Logger.h"

namespace pemuapp {

bool ExtendedDesktop::Init(const OsVersionInfo& os) {
    m_type = 0;
    if (!ClassifyForExtendedDesktop(os, &m_type)) {
        QK_LOG(m_log, LOG_DEBUG, "ExtendedDesktop: system not classified");
        return false;
    }
    QK_LOG(m_log, LOG_DEBUG,
           "ExtendedDesktop: type %d; the extended-desktop driver is not installed on this system",
           m_type);
    return false;
}

bool ExtendedDesktop::Detect() {
    // The display settings of this system offer no extended screen.
    m_screenPresent = false;
    return Served();
}

int32_t ExtendedDesktop::Enable() {
    if (m_screenPresent) {
        return 0;
    }
    QK_LOG(m_log, LOG_DEBUG, "ExtendedDesktop::Enable: no extended screen can be made");
    return kEFail;
}

int ExtendedDesktop::GetScreenNumber() {
    return Served() ? -1 : -2;
}

int32_t ExtendedDesktop::Disable() {
    // Nothing was extended, so nothing is undone.
    return Served() ? 0 : kEFail;
}

bool ExtendedDesktop::IsMode1920x1080Available() {
    if (!m_display) {
        return false;
    }
    for (const platform::DisplayMode& m : m_display->GetModes(0)) {
        if (m.width == 1920 && m.height == 1080) {
            return true;
        }
    }
    return false;
}

std::vector<platform::DisplayOutput> ExtendedDesktop::EnumAttachedDisplays() {
    return m_display ? m_display->AttachedOutputs() : std::vector<platform::DisplayOutput>();
}

void ExtendedDesktop::CollectResolutions(std::vector<std::pair<int, int>>* list) {
    if (!m_display || m_display->AttachedOutputs().empty()) {
        return;
    }
    for (const platform::DisplayMode& m : m_display->GetModes(0)) {
        if (m.height < m.width) {
            list->emplace_back(m.width, m.height);
        }
    }
}

}  // namespace pemuapp
