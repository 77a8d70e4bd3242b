// Whether the extended screen ("Virtual Extended Screen") may be used, and
// leaving it: one decision over the operating-system code and the answers
// of the extended-desktop driver behind ExtendedScreenDriver.
//
// The program's driver on this platform finds no extended screen
// (NoExtendedScreenDriver), so the check ends with its message; tests give
// their own drivers.
// THREADING: user-interface thread only (the messages are shown by the caller).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pemuapp {

// Messages of the check (string table).
inline constexpr uint32_t kMsgSystemUnsupported = 65319;
inline constexpr uint32_t kMsgInstallComponent = 65318;
inline constexpr uint32_t kMsgUpdateDriver = 65409;
// The driver's answer for a general failure of the activation.
inline constexpr int32_t kDriverGeneralFailure = static_cast<int32_t>(0x80004005u);

class ExtendedScreenDriver {
public:
    virtual ~ExtendedScreenDriver() = default;
    virtual bool ComponentInstalled() = 0;
    // Dotted version of the virtual display driver ("1.0.2.1").
    virtual std::string VirtualDisplayDriverVersion() = 0;
    // The detection's answer (1: the extended screen is there).
    virtual int Detect() = 0;
    virtual int32_t Activate(int mode) = 0;
    // Set by the display settings while an extra display is in use.
    virtual bool ExtraDisplayFlag() = 0;
    virtual void RestoreExtraExtendedDesktop() = 0;
    // The leave callback; false when the driver has none.
    virtual bool Leave(int mode) = 0;
};

// The driver of this platform: installed, version 1.0.2.1, detects nothing
// and cannot activate.
class NoExtendedScreenDriver final : public ExtendedScreenDriver {
public:
    bool ComponentInstalled() override { return true; }
    std::string VirtualDisplayDriverVersion() override { return "1.0.2.1"; }
    int Detect() override { return 0; }
    int32_t Activate(int) override { return kDriverGeneralFailure; }
    bool ExtraDisplayFlag() override { return false; }
    void RestoreExtraExtendedDesktop() override {}
    bool Leave(int) override { return false; }
};

struct ExtendedScreenState {
    bool available = true;
    bool checked = false;
    int driverState = 0;
    bool extendedMode = false;
};

struct ExtendedScreenCheck {
    bool usable = false;
    uint32_t messageId = 0;  // the "Info" message to show; 0: none
};

// -1, 0, 1 as dotted version `a` is below, equal to or above `b`.
int CompareDottedVersion(std::string_view a, std::string_view b);

// `driver` null: not usable, no message.
ExtendedScreenCheck CheckExtendedScreen(ExtendedScreenDriver* driver, int osCode,
                                        ExtendedScreenState& state);
// False only without a driver.
bool LeaveExtendedScreen(ExtendedScreenDriver* driver, int osCode, ExtendedScreenState& state);

}  // namespace pemuapp
