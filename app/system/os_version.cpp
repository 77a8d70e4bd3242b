#include "app/system/os_version.h"

namespace pemuapp {
namespace {

// Codes 1 to 5 and 10, shared by both classifications; -1 when none fits.
int CommonCode(const OsVersionInfo& v) {
    if (v.platformId == 0) {
        return 1;
    }
    if (v.platformId == 1 && v.major == 4) {
        switch (v.minor) {
            case 0:
                return 2;
            case 10:
                return 3;
            case 90:
                return 4;
            default:
                return -1;
        }
    }
    if (v.platformId == 2) {
        if (v.major != 5 && v.major != 6) {
            return 5;
        }
        if (v.major == 5 && v.minor == 0) {
            return 6;
        }
        if (v.major == 5 && v.minor == 3) {
            return 10;
        }
    }
    return -1;
}

}  // namespace

int ClassifyOsVersion(const OsVersionInfo& v) {
    if (const int common = CommonCode(v); common >= 0) {
        return common;
    }
    if (v.platformId != 2) {
        return 0;
    }
    if (v.major == 5 && v.minor == 1) {
        switch (v.servicePackMajor) {
            case 1:
                return 13;
            case 2:
                return 14;
            case 3:
                return 15;
            default:
                return 12;  // no service pack, or one above 3
        }
    }
    if (v.major == 5 && v.minor == 2) {
        return v.productType == kWorkstation ? 16 : 9;
    }
    if (v.major == 6) {
        switch (v.minor) {
            case 0:
                return 17;
            case 1:
                return 18;
            case 2:
                return 19;
            default:
                return 0;
        }
    }
    return 0;
}

int ClassifyOsVersionLegacy(const OsVersionInfo& v) {
    if (const int common = CommonCode(v); common >= 0) {
        return common;
    }
    if (v.platformId != 2) {
        return 0;
    }
    if (v.major == 5 && v.minor == 2) {
        if (v.productType == kWorkstation) {
            return 15;
        }
        // The system metric is tested before the suite mask.
        if (v.serverR2) {
            return 8;
        }
        return (v.suiteMask & kSuiteHomeServer) ? 7 : 9;
    }
    if (v.major == 5 && v.minor == 1) {
        if (v.servicePackText == "Service Pack 1") {
            return 12;
        }
        if (v.servicePackText == "Service Pack 2" || v.servicePackText == "Service Pack 3") {
            return 14;
        }
        return 0;
    }
    if (v.major == 6 && v.minor <= 2) {
        return 16 + static_cast<int>(v.minor);
    }
    return 0;
}

bool ClassifyForExtendedDesktop(const OsVersionInfo& v, int* type) {
    int code = ClassifyOsVersionLegacy(v);
    if (code == 7 || code == 8) {
        code = 9;  // every 5.2 server
    }
    if (code == 0) {
        return false;
    }
    *type = code;
    return true;
}

bool IsNewPowerApi(const OsVersionInfo& v) {
    return v.platformId == 2 && v.major == 6 && v.minor <= 2;
}

OsVersionInfo CurrentOsVersion() {
    // This system is classified as version 6.2, the newest generation the
    // codes know: every service then takes its modern way (EnableASC on,
    // the endpoint mute, the newer power interface, no audio helper
    // programs), which is the way this implementation builds. The code is
    // 19, the older classification's 18.
    OsVersionInfo v;
    v.platformId = 2;
    v.major = 6;
    v.minor = 2;
    v.productType = kWorkstation;
    return v;
}

}  // namespace pemuapp
