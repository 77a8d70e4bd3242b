// The main window's Wi-Fi join: moving the PC onto a receiver's own network
// before it connects, from a quick profile or from the access points the
// PC sees, with the memory of the network used before so that it can be
// given back.
//
// Listing and joining run on workers that set atomics when they end; the
// user-interface thread pumps its messages every kPumpMs meanwhile. The key
// lives in std::string only, goes to the provider and is never logged.
// THREADING: ChooseAndJoin, ResetRestoreKeys and RestoreService on the
// user-interface thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/maindlg/quick_profile.h"
#include "platform/wifi_provider.h"
#include "platform/window/window_id.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/dialog_environment.h"

namespace pemuapp {

// Results of a join flow (0: no network chosen).
inline constexpr int kJoinNotifyFailed = 50001;
inline constexpr int kJoinNetworkInUse = 50002;
inline constexpr int kJoinKeyCancelled = 50003;
inline constexpr int kJoinFinished = 50005;
inline constexpr int kJoinNotManaged = 50006;

inline constexpr uint32_t kPumpMs = 286;
inline constexpr uint32_t kAddressWaitMs = 13000;
// After the address change: up to kLanChecks checks of the PC's network,
// kLanCheckMs apart, then kSettleMs before the join counts as done.
inline constexpr int kLanChecks = 4;
inline constexpr uint32_t kLanCheckMs = 1000;
inline constexpr uint32_t kSettleMs = 1999;
// What the key box shows for a stored key.
inline constexpr const char* kStoredKeyMask = "********";

// True when a quick profile moves the PC to its network: AutoWifi on and a
// network named that is not "<<Existing Network>>".
bool ProfileStartsJoin(bool autoWifi, const std::string& ssid);

// Access points by signal quality, strongest first; one of equal quality
// goes before those already listed.
std::vector<platform::WifiAccessPoint> SortByQuality(
    const std::vector<platform::WifiAccessPoint>& found);

// The key kind the key box asks for: 3 for authentication 3 to 5, 6 for 6
// and 7, 0 otherwise.
int KeyKindOf(int authentication);

struct WifiJoinContext {
    platform::WifiProvider* wifi = nullptr;
    // The settings file's values.
    std::function<std::string(const std::string& key)> readSetting;
    std::function<void(const std::string& key, const std::string& value)> writeSetting;
    // The dialogs (access-point choice, type 1; key, type 4).
    ui::DialogEnvironment env;
    platform::WindowId owner;
    // Runs the user-interface thread's messages for about `ms`; null: sleeps.
    std::function<void(uint32_t ms)> pump;
    // Log lines (failures with their reasons; never a key).
    std::function<void(const std::string& line)> log;
    // The join's waits, on the process clock (platform::NowMs): the wait
    // for an adapter that has its address already, the longest address
    // wait, the LAN checks' spacing and the settling time.
    uint32_t addressWaitMs = kAddressWaitMs;
    uint32_t lanCheckMs = kLanCheckMs;
    uint32_t settleMs = kSettleMs;
};

class WifiJoinFlow {
public:
    explicit WifiJoinFlow(WifiJoinContext context) : m_ctx(std::move(context)) {}

    // Joins a receiver network (ChooseAndLintavo): with `profileChosen` the
    // profile's network, else the one the user picks. Returns a join
    // result, or 0 when no network was chosen. The joined network and key
    // go into `profile`.
    int ChooseAndJoin(bool profileChosen, ui::ConnectionProfile& profile);
    // The neutral restore values.
    void ResetRestoreKeys();
    // Gives the wireless service back when no network is remembered: 1,
    // else 0.
    int RestoreService();
    bool JoinAttempted() const { return m_joinAttempted; }

private:
    void WaitFor(const std::atomic<bool>& done);
    std::string Read(const std::string& key) const;
    void Write(const std::string& key, const std::string& value);
    void Log(const std::string& line);

    WifiJoinContext m_ctx;
    bool m_joinAttempted = false;
};

}  // namespace pemuapp
