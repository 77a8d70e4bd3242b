#include "app/mainwnd/extended_screen.h"

#include <cstdlib>

namespace pemuapp {
namespace {

// The next number of a dotted version, advancing `text`; 0 at its end.
long NextPart(std::string_view& text) {
    long value = 0;
    size_t i = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i] - '0');
        if (value > 1000000) {
            value = 1000000;
        }
        ++i;
    }
    while (i < text.size() && text[i] != '.') {
        ++i;
    }
    text.remove_prefix(i < text.size() ? i + 1 : i);
    return value;
}

}  // namespace

int CompareDottedVersion(std::string_view a, std::string_view b) {
    while (!a.empty() || !b.empty()) {
        const long x = NextPart(a), y = NextPart(b);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return 0;
}

ExtendedScreenCheck CheckExtendedScreen(ExtendedScreenDriver* driver, int osCode,
                                        ExtendedScreenState& state) {
    if (!driver) {
        return {};
    }
    auto refuse = [&state](uint32_t message) {
        state.available = false;
        return ExtendedScreenCheck{false, message};
    };
    if (osCode < 13 || osCode > 19) {
        return refuse(kMsgSystemUnsupported);
    }
    if (!driver->ComponentInstalled()) {
        return refuse(kMsgInstallComponent);
    }
    const bool newest = osCode == 18 || osCode == 19;
    if (!newest && CompareDottedVersion(driver->VirtualDisplayDriverVersion(), "1.0.2.1") < 0) {
        return refuse(kMsgUpdateDriver);
    }
    state.checked = true;
    state.driverState = driver->Detect();
    if (newest && state.driverState == 1) {
        return {true, 0};
    }
    if (driver->Activate(0) != kDriverGeneralFailure) {
        return {true, 0};
    }
    return refuse(newest ? kMsgSystemUnsupported : kMsgInstallComponent);
}

bool LeaveExtendedScreen(ExtendedScreenDriver* driver, int osCode, ExtendedScreenState& state) {
    if (!driver) {
        return false;
    }
    if (state.driverState == 1) {
        return true;
    }
    if (osCode >= 12 && osCode <= 18) {
        if ((osCode == 17 || osCode == 18) && !driver->ExtraDisplayFlag()) {
            driver->RestoreExtraExtendedDesktop();
        }
        driver->Leave(0);
    }
    state.extendedMode = false;
    return true;
}

}  // namespace pemuapp
