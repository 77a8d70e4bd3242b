// What follows once the receiver took new access-point-client settings and
// the current profile was written: the page ends with OK, the main window
// keeps the key and tells the user that the receiver restarts, the fixed
// Wi-Fi profile of the receiver's own network is removed (timer 210), the
// receiver is asked to reboot and the main window's timer 212 ends the
// program 20 s later.
// THREADING: user-interface thread.
#pragma once

#include <cstdint>
#include <string>

class VRXClient;

namespace ui {

class CQKCommonDlg;

// The wait before the main window ends the program after the reboot request.
inline constexpr uint32_t kRebootExitDelayMs = 20000;

// `key` is what the profile got (empty with the mode off); `ownSsid` the
// receiver's own access-point SSID shown on the page.
void FinishApClientApply(CQKCommonDlg& dialog, VRXClient& client, const std::string& key,
                         const std::string& ownSsid);

}  // namespace ui
