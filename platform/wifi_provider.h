// WifiProvider: the wireless access points the PC can see.
//
// One interface for every page that lists access points; the desktop's
// network service stands behind it on Linux, and tests use
// FakeWifiProvider. Listing scans and may block for seconds: callers run it
// on a worker thread.
// THREADING: ListAccessPoints may be called on any thread, one call at a
// time per provider.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct WifiAccessPoint {
    std::string ssid;   // UTF-8; empty for a hidden network
    std::string bssid;  // "aa:bb:cc:dd:ee:ff"
    int signal = 0;     // 0..100
    // 0 WEP, 3 WPA, 6 WPA2; any other value: open or unknown.
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
};

}  // namespace platform
