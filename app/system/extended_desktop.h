// ExtendedDesktop: extending the desktop onto the receiver (a second,
// virtual screen whose picture is projected) instead of mirroring, and the
// display enumeration behind the main dialog's list of resolutions.
//
// No extended-desktop driver exists on this system: the controller is
// present and classifies the system, but finds no extended screen, Enable()
// gives E_FAIL and the caller keeps mirroring (the main window says that the
// system does not support the virtual extended screen). The mode and output
// lists come from the display settings.
// THREADING: user-interface thread.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "app/system/os_version.h"
#include "platform/display/display_settings.h"

class Logger;

namespace pemuapp {

inline constexpr int32_t kEFail = static_cast<int32_t>(0x80004005);

class ExtendedDesktop {
public:
    // `display` and `log` are borrowed and may be null (no display: empty
    // lists); they must outlive the object.
    ExtendedDesktop(platform::DisplaySettings* display, Logger* log)
        : m_display(display), m_log(log) {}

    // Classifies the system (driver types 12 to 18 are served) and looks
    // for the extended-desktop driver. False: no driver bound (always here,
    // logged).
    bool Init(const OsVersionInfo& os);
    int DriverType() const { return m_type; }

    // Asks whether an extended screen exists. True for served types.
    bool Detect();
    bool ExtendedScreenPresent() const { return m_screenPresent; }
    // 0 on success, kEFail when no extended screen can be had.
    int32_t Enable();
    // The extended screen's display number; -1 when there is none, -2 on a
    // type that is not served.
    int GetScreenNumber();
    // Leaves extended-desktop mode: 0, or kEFail on a type not served.
    int32_t Disable();

    // Whether the primary display offers exactly 1920 x 1080.
    bool IsMode1920x1080Available();
    // The outputs attached to the desktop, in order.
    std::vector<platform::DisplayOutput> EnumAttachedDisplays();
    // Appends every landscape mode (height below width) of the first
    // attached display to *list as (width, height), one entry per mode: a
    // size at several rates is listed several times.
    void CollectResolutions(std::vector<std::pair<int, int>>* list);

private:
    bool Served() const { return m_type >= 12 && m_type <= 18; }

    platform::DisplaySettings* m_display;
    Logger* m_log;
    int m_type = 0;
    bool m_screenPresent = false;
};

}  // namespace pemuapp
