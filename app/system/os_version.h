// Operating-system version codes: the small integers by which the sender's
// services choose their way (composition switch, local mute, audio helpers,
// extended desktop, power plans).
//
// The classifiers are pure functions of a version record, kept as the
// codes were defined so that stored behaviour and the tables stay the same.
// CurrentOsVersion() says which record this system is given (see there).
#pragma once

#include <cstdint>
#include <string>

namespace pemuapp {

// A version record as the classifiers read it.
struct OsVersionInfo {
    uint32_t platformId = 2;  // 0 Win32s, 1 the 9x line, 2 the NT line
    uint32_t major = 0;
    uint32_t minor = 0;
    uint16_t servicePackMajor = 0;
    std::string servicePackText;  // "Service Pack 2", ...
    uint8_t productType = 1;      // 1 workstation
    uint16_t suiteMask = 0;
    bool serverR2 = false;  // the system metric of the R2 release
};

inline constexpr uint8_t kWorkstation = 1;
inline constexpr uint16_t kSuiteHomeServer = 0x2000;

// The main classification, codes 0 to 19.
int ClassifyOsVersion(const OsVersionInfo& v);
// The older classification of the extended-desktop and drive checks.
int ClassifyOsVersionLegacy(const OsVersionInfo& v);
// The extended-desktop driver type: as the older classification, except
// that every 5.2 server is 9. False when no rule matches.
bool ClassifyForExtendedDesktop(const OsVersionInfo& v, int* type);
// True where the newer power-plan interface is used (NT line 6.0 to 6.2).
bool IsNewPowerApi(const OsVersionInfo& v);

// The record of the running system.
OsVersionInfo CurrentOsVersion();

}  // namespace pemuapp
