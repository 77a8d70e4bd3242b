// The quick connection profile that a successful connect saves, so that the
// next start offers it again: "profile.ini" in the settings folder, one
// section per profile ("1", "2", ...) with the keys "ProfileName", "SSID",
// "ServerIP", "UserName", "WPAKey", each written only when not empty (texts
// as UTF-8).
//
// The saved profile becomes section "1"; the profiles the file already held
// follow in their order, less the one of the same name. A profile without a
// name changes nothing. The file is replaced whole, under the store's lock.
#pragma once

#include <string>
#include <vector>

namespace pemuapp {

inline constexpr const char* kProfileFileName = "profile.ini";
// The network name of a profile that uses the network the PC is on.
inline constexpr const char* kExistingNetwork = "<<Existing Network>>";

struct QuickProfile {
    std::string name, ssid, serverIp, userName, wpaKey;
    bool operator==(const QuickProfile&) const = default;
};

// Saves `profile` first in the file at `path`. The network name is kept
// only when `wifiJoined` and it is not kExistingNetwork. False, with the
// reason, when the file cannot be written; true (and nothing written) for a
// nameless profile.
bool SaveQuickProfile(const std::string& path, const QuickProfile& profile, bool wifiJoined,
                      std::string* reason = nullptr);

// The profiles of the file, section "1" first; empty when there is none.
std::vector<QuickProfile> ReadQuickProfiles(const std::string& path);

}  // namespace pemuapp
