// NmWifiProvider: the access points the PC sees, from NetworkManager's
// command-line client.
//
// Lists with "nmcli -t -f SSID,BSSID,SIGNAL,SECURITY,CHAN,WPA-FLAGS,RSN-FLAGS
// device wifi list" (terse output: one line per access point, fields split
// at ':', a ':' or '\' inside a field escaped with '\'). nmcli is run by
// absolute path as a timed child; a missing, hanging or failing nmcli gives
// "no list" (false), never a partial one.
//
// Authentication values, as the pages read them: 1 open, 0 WEP, 3 WPA,
// 6 WPA2 or WPA3.
// THREADING: ListAccessPoints, StoredKey and Join block (a scan takes
// seconds): call them on a worker thread, one call at a time per object.
// DeleteFixedProfile makes a few short nmcli queries, each bounded by
// kQueryTimeoutMs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/wifi_provider.h"

namespace platform {

inline constexpr int kWifiAuthOpen = 1;
inline constexpr int kWifiAuthWep = 0;
inline constexpr int kWifiAuthWpa = 3;
inline constexpr int kWifiAuthWpa2 = 6;

// One listed access point with what the probes of the pages ask for.
struct NmAccessPoint {
    WifiAccessPoint point;
    int channel = -1;    // -1 unknown
    std::string cipher;  // "CCMP", "TKIP", "WEP" or empty (open, unknown)
};

// The authentication value of nmcli's SECURITY field ("WPA1 WPA2" -> 6).
int AuthenticationOfSecurity(std::string_view security);
// Every well-formed line of the listing (seven fields, signal 0..100);
// other lines are skipped.
std::vector<NmAccessPoint> ParseNmcliWifiList(std::string_view output);

class NmWifiProvider final : public WifiProvider {
public:
    static constexpr const char* kNmcliPath = "/usr/bin/nmcli";
    static constexpr uint32_t kListTimeoutMs = 20000;
    static constexpr uint32_t kQueryTimeoutMs = 5000;

    // `nmcliPath` absolute (tests give a script that prints recorded output).
    explicit NmWifiProvider(std::string nmcliPath = kNmcliPath,
                            uint32_t listTimeoutMs = kListTimeoutMs)
        : m_nmcli(std::move(nmcliPath)), m_listTimeoutMs(listTimeoutMs) {}
    // Null when no nmcli is installed.
    static std::unique_ptr<NmWifiProvider> Create();

    bool ListAccessPoints(std::vector<WifiAccessPoint>& out) override;
    // The last listing with channel and cipher (empty before one).
    const std::vector<NmAccessPoint>& LastListing() const { return m_last; }
    // The stored key of the connection named `connection` ("" when it has
    // none or nmcli does not answer).
    std::string StoredKey(const std::string& connection);

    // Joining, through nmcli (the key in a private passwd-file) and the
    // kernel's address notices.
    WifiServiceState ServiceState() override;
    std::string CurrentNetwork() override;
    bool Join(const WifiJoinRequest& request, std::string* error) override;
    // Deletes only the connections this program made for `ssid` (see
    // NmDeleteOwnConnections); a user's connection for it is kept. False
    // when there was none or nmcli failed (logged with nmcli's words).
    bool DeleteFixedProfile(const std::string& ssid) override;
    int WaitForAddressChange(uint32_t timeoutMs) override;
    bool AdapterHasAddress(const std::string& interfaceName) override;
    bool ConnectedThroughLan() override;

private:
    std::string m_nmcli;
    uint32_t m_listTimeoutMs;
    std::vector<NmAccessPoint> m_last;
};

}  // namespace platform
