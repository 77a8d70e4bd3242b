#include "app/maindlg/quick_profile.h"

#include <algorithm>

#include "platform/ini/ini_store.h"

namespace pemuapp {
namespace {

std::vector<QuickProfile> ProfilesOf(const platform::IniDocument& doc) {
    std::vector<QuickProfile> out;
    for (int i = 1;; ++i) {
        const std::string section = std::to_string(i);
        const auto sections = doc.Sections();
        if (std::find(sections.begin(), sections.end(), section) == sections.end()) {
            break;
        }
        QuickProfile p;
        p.name = doc.Get(section, "ProfileName").value_or("");
        p.ssid = doc.Get(section, "SSID").value_or("");
        p.serverIp = doc.Get(section, "ServerIP").value_or("");
        p.userName = doc.Get(section, "UserName").value_or("");
        p.wpaKey = doc.Get(section, "WPAKey").value_or("");
        out.push_back(std::move(p));
    }
    return out;
}

}  // namespace

std::vector<QuickProfile> ReadQuickProfiles(const std::string& path) {
    platform::IniStore store(path);
    store.Load();
    return ProfilesOf(store.Document());
}

bool SaveQuickProfile(const std::string& path, const QuickProfile& profile, bool wifiJoined,
                      std::string* reason) {
    if (profile.name.empty()) {
        return true;
    }
    QuickProfile saved = profile;
    if (!wifiJoined || saved.ssid == kExistingNetwork) {
        saved.ssid.clear();
    }
    platform::IniStore store(path);
    return store.Update(
        [&](platform::IniDocument& doc) {
            std::vector<QuickProfile> list{saved};
            for (QuickProfile& p : ProfilesOf(doc)) {
                if (p.name != saved.name) {
                    list.push_back(std::move(p));
                }
            }
            platform::IniDocument fresh;
            for (size_t i = 0; i < list.size(); ++i) {
                const std::string section = std::to_string(i + 1);
                const std::pair<const char*, const std::string*> keys[] = {
                    {"ProfileName", &list[i].name},  {"SSID", &list[i].ssid},
                    {"ServerIP", &list[i].serverIp}, {"UserName", &list[i].userName},
                    {"WPAKey", &list[i].wpaKey},
                };
                for (const auto& [key, value] : keys) {
                    if (!value->empty() && !fresh.Set(section, key, *value)) {
                        return false;  // a value the file cannot hold: nothing written
                    }
                }
            }
            doc = std::move(fresh);
            return true;
        },
        reason);
}

}  // namespace pemuapp
