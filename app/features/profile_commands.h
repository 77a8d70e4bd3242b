// ProfileCommands: the main window's connection-profile commands: 2022
// "Save current as.." (the profile page, type 7, filled from the connected
// receiver over the profiles of the file) and 2023 "Manage Profile" (the
// profile list, type 13). Both run through the host's dialog runner; the
// profile list is saved when the dialog ends with OK.
//
// "Save current as.." keeps what it saves: the page's profile becomes the
// first of the file (the current one) and replaces an older one of the
// same name; a page without a name saves nothing.
//
// THREADING: user-interface thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ui {
struct ConnectionProfile;
}

namespace pemuapp {

class FeatureHost;

inline constexpr uint32_t kCmdSaveProfile = 2022;
inline constexpr uint32_t kCmdManageProfile = 2023;

class ProfileCommands {
public:
    // `profilePath`: the profile file (empty: profile.ini of the user's
    // config folder).
    ProfileCommands(FeatureHost& host, std::string profilePath);

    void OnSaveProfile();
    void OnManageProfile();

private:
    void Save(const std::vector<ui::ConnectionProfile>& profiles);

    FeatureHost& m_host;
    std::string m_path;
};

}  // namespace pemuapp
