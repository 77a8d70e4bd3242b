// WifiProvider: the wireless access points the PC can see.
//
// One interface for every page that lists access points; the desktop's
// network service stands behind it on Linux, and tests use
// FakeWifiProvider. Listing scans and may block for seconds: callers run it
// on a worker thread.
// Joining is optional: a provider that cannot join keeps the default bodies,
// which fail. The join calls block (a join, an address wait): callers run
// them on a worker thread.
// THREADING: ListAccessPoints may be called on any thread, one call at a
// time per provider; the same holds for the join calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct WifiAccessPoint {
    std::string ssid;   // UTF-8; empty for a hidden network
    std::string bssid;  // "aa:bb:cc:dd:ee:ff"
    int signal = 0;     // 0..100
    // 0 WEP, 3 WPA, 6 WPA2; any other value: open or unknown.
    int authentication = -1;
    std::string interfaceName;  // the wireless interface that sees it
    bool secured = false;
};

// Who manages the PC's wireless networks.
enum class WifiServiceState {
    kManaged,      // the provider's service is in charge: joins can work
    kNotManaged,   // another tool is in charge: the user joins with it
    kQueryFailed,  // the service could not be asked
};

struct WifiJoinRequest {
    std::string interfaceName;
    std::string ssid;
    std::string key;  // never logged, never put on a command line
    int authentication = -1;
};

class WifiProvider {
public:
    virtual ~WifiProvider() = default;
    // Replaces `out` with the visible access points, in the provider's
    // order. False when the list could not be had (`out` is then empty).
    virtual bool ListAccessPoints(std::vector<WifiAccessPoint>& out) = 0;
    // Removes the fixed profile the program keeps for network `ssid` (made
    // with the provider's own fixed key). False when there was none or it
    // could not be removed; providers without such profiles remove nothing.
    virtual bool DeleteFixedProfile(const std::string& ssid) {
        (void)ssid;
        return false;
    }

    // --- joining (optional) -------------------------------------------------------
    virtual WifiServiceState ServiceState() { return WifiServiceState::kNotManaged; }
    // The network (SSID) the PC uses now; empty: none or unknown.
    virtual std::string CurrentNetwork() { return std::string(); }
    // Joins a network. False with a reason in *error when it failed.
    virtual bool Join(const WifiJoinRequest& request, std::string* error) {
        (void)request;
        if (error) {
            *error = "this Wi-Fi provider cannot join networks";
        }
        return false;
    }
    // Waits up to `timeoutMs` for an IPv4 address change: 1 changed, 0 the
    // time ran out, -1 the wait could not be set up.
    virtual int WaitForAddressChange(uint32_t timeoutMs) {
        (void)timeoutMs;
        return -1;
    }
    // Gives the wireless networks back to the system's own management.
    virtual bool RestoreService() { return false; }
    // The adapter of `interfaceName` is up and has an IPv4 address already:
    // a join then need not bring an address change.
    virtual bool AdapterHasAddress(const std::string& interfaceName) {
        (void)interfaceName;
        return false;
    }
    // The PC reaches a network through a wired or wireless adapter (one that
    // is up, running and has an IPv4 address, loopback left out).
    virtual bool ConnectedThroughLan() { return false; }
};

}  // namespace platform
