#include "ui/dialogs/profile_file.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "app/settings/sender_paths.h"
#include "platform/ini/ini_store.h"

namespace ui {
namespace {

constexpr const char* kName = "ProfileName";
constexpr const char* kSsid = "SSID";
constexpr const char* kServerIp = "ServerIP";
constexpr const char* kUserName = "UserName";
constexpr const char* kLoginCode = "LoginCode";
constexpr const char* kKey = "WPAKey";

std::string Section(size_t index) {
    return std::to_string(index + 1);
}

std::string ValueOr(const platform::IniDocument& doc, const std::string& section, const char* key) {
    return doc.Get(section, key).value_or(std::string());
}

// A dotted IPv4 address as inet_pton reads it, else "0.0.0.0".
std::string StrictAddress(const std::string& text) {
    in_addr parsed{};
    if (!text.empty() && inet_pton(AF_INET, text.c_str(), &parsed) == 1) {
        return text;
    }
    return "0.0.0.0";
}

// Reads the file; nullopt when there is nothing to read (missing or
// unusable; the reason of an unusable file goes to *error).
std::optional<platform::IniDocument> Read(const std::string& path, std::string* error) {
    error->clear();
    if (path.empty()) {
        return std::nullopt;
    }
    platform::IniStore store(path);
    std::string reason;
    switch (store.Load(&reason)) {
        case platform::IniStore::LoadResult::kLoaded:
            return store.Document();
        case platform::IniStore::LoadResult::kMissing:
            return std::nullopt;
        case platform::IniStore::LoadResult::kSetAside:
        case platform::IniStore::LoadResult::kUnreadable:
            *error = path + ": " + reason;
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

ProfileFile ProfileFile::InUserConfig() {
    const pemuapp::SenderPaths paths = pemuapp::SenderPaths::FromUserFolders();
    if (paths.configFolder.empty()) {
        return ProfileFile({});
    }
    return ProfileFile(paths.configFolder + "/" + kProfileFileName);
}

bool ProfileFile::LoadCurrentProfile(ConnectionProfile& out) {
    const auto doc = Read(m_path, &m_error);
    if (!doc) {
        return false;
    }
    const std::string name = ValueOr(*doc, "1", kName);
    if (name.empty()) {
        return false;
    }
    out.name = name;
    out.ssid = ValueOr(*doc, "1", kSsid);
    out.serverIp = StrictAddress(ValueOr(*doc, "1", kServerIp));
    out.userName = ValueOr(*doc, "1", kUserName);
    out.loginCode = ValueOr(*doc, "1", kLoginCode);
    out.key = ValueOr(*doc, "1", kKey);
    return true;
}

int ProfileFile::LoadProfiles(std::vector<ConnectionProfile>& out) {
    out.clear();
    const auto doc = Read(m_path, &m_error);
    if (!doc) {
        return 0;
    }
    for (size_t i = 0;; ++i) {
        const std::string section = Section(i);
        ConnectionProfile p;
        p.name = ValueOr(*doc, section, kName);
        if (p.name.empty()) {
            break;
        }
        p.ssid = ValueOr(*doc, section, kSsid);
        p.serverIp = ValueOr(*doc, section, kServerIp);
        p.userName = ValueOr(*doc, section, kUserName);
        p.loginCode = ValueOr(*doc, section, kLoginCode);
        p.key = ValueOr(*doc, section, kKey);
        out.push_back(std::move(p));
    }
    return static_cast<int>(out.size());
}

bool ProfileFile::SaveProfiles(const std::vector<ConnectionProfile>& profiles) {
    m_error.clear();
    if (m_path.empty()) {
        m_error = "no folder for the profile file is known";
        return false;
    }
    for (const ConnectionProfile& p : profiles) {
        if (p.name.empty()) {
            m_error = "a profile without a name cannot be saved";
            return false;
        }
    }
    if (profiles.empty()) {
        if (::unlink(m_path.c_str()) != 0 && errno != ENOENT) {
            m_error = m_path + ": " + std::strerror(errno);
            return false;
        }
        return true;
    }
    platform::IniStore store(m_path);
    std::string reason;
    const bool written = store.Update(
        [&profiles](platform::IniDocument& doc) {
            doc = platform::IniDocument();
            for (size_t i = 0; i < profiles.size(); ++i) {
                const ConnectionProfile& p = profiles[i];
                const std::string section = Section(i);
                const std::pair<const char*, const std::string*> keys[] = {{kName, &p.name},
                                                                           {kSsid, &p.ssid},
                                                                           {kServerIp, &p.serverIp},
                                                                           {kUserName, &p.userName},
                                                                           {kKey, &p.key}};
                for (const auto& [key, value] : keys) {
                    if (!value->empty() && !doc.Set(section, key, *value)) {
                        return false;
                    }
                }
            }
            return true;
        },
        &reason);
    if (!written) {
        m_error = reason.empty() ? m_path + ": a value cannot be stored (line break?)"
                                 : m_path + ": " + reason;
    }
    return written;
}

bool ProfileFile::SaveWifiToCurrentProfile(const std::string& serverIp, const std::string& ssid,
                                           const std::string& key) {
    m_error.clear();
    if (m_path.empty()) {
        m_error = "no folder for the profile file is known";
        return false;
    }
    platform::IniStore store(m_path);
    std::string reason;
    const bool written = store.Update(
        [&](platform::IniDocument& doc) {
            return doc.Set("1", kSsid, ssid) && doc.Set("1", kServerIp, serverIp) &&
                   doc.Set("1", kKey, key);
        },
        &reason);
    if (!written) {
        m_error = m_path + ": " + (reason.empty() ? "a value cannot be stored" : reason);
    }
    return written;
}

}  // namespace ui
