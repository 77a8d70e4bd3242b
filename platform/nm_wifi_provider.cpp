#include "platform/nm_wifi_provider.h"

#include <cstdlib>

#include "platform/nm_wifi_join.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

#include "platform/child_output.h"
#include "platform/log.h"

namespace platform {
namespace {

constexpr size_t kFieldCount = 7;

bool ParseSignal(std::string_view text, int* out) {
    if (text.empty() || text.size() > 3) {
        return false;
    }
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    if (value > 100) {
        return false;
    }
    *out = value;
    return true;
}

int ParseChannel(std::string_view text) {
    int value = 0;
    if (text.empty() || text.size() > 3) {
        return -1;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string CipherOf(std::string_view security, std::string_view wpaFlags,
                     std::string_view rsnFlags) {
    const std::string flags = std::string(rsnFlags) + " " + std::string(wpaFlags);
    if (flags.find("pair_ccmp") != std::string::npos) {
        return "CCMP";
    }
    if (flags.find("pair_tkip") != std::string::npos) {
        return "TKIP";
    }
    if (security.find("WEP") != std::string_view::npos) {
        return "WEP";
    }
    return {};
}

}  // namespace

int AuthenticationOfSecurity(std::string_view security) {
    if (security.find("WPA2") != std::string_view::npos ||
        security.find("WPA3") != std::string_view::npos) {
        return kWifiAuthWpa2;
    }
    if (security.find("WPA") != std::string_view::npos) {
        return kWifiAuthWpa;
    }
    if (security.find("WEP") != std::string_view::npos) {
        return kWifiAuthWep;
    }
    return kWifiAuthOpen;
}

std::vector<NmAccessPoint> ParseNmcliWifiList(std::string_view output) {
    std::vector<NmAccessPoint> out;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string_view::npos) {
            end = output.size();
        }
        std::string_view line = output.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::vector<std::string> f = SplitNmcliTerse(line);
        NmAccessPoint ap;
        if (f.size() != kFieldCount || !ParseSignal(f[2], &ap.point.signal)) {
            continue;
        }
        ap.point.ssid = f[0];
        ap.point.bssid = f[1];
        ap.point.authentication = AuthenticationOfSecurity(f[3]);
        ap.channel = ParseChannel(f[4]);
        ap.cipher = CipherOf(f[3], f[5], f[6]);
        out.push_back(std::move(ap));
    }
    return out;
}

std::unique_ptr<NmWifiProvider> NmWifiProvider::Create() {
    if (::access(kNmcliPath, X_OK) != 0) {
        return nullptr;
    }
    return std::make_unique<NmWifiProvider>();
}

bool NmWifiProvider::ListAccessPoints(std::vector<WifiAccessPoint>& out) {
    out.clear();
    m_last.clear();
    const ChildOutput run =
        RunForOutput(m_nmcli,
                     {"-t", "-f", "SSID,BSSID,SIGNAL,SECURITY,CHAN,WPA-FLAGS,RSN-FLAGS", "device",
                      "wifi", "list"},
                     m_listTimeoutMs);
    if (!run.started || run.timedOut || run.truncated || run.exitCode != 0) {
        Log(LogLevel::kWarning, "wifi", "nmcli gave no access-point list (%s)",
            !run.started    ? "not started"
            : run.timedOut  ? "timed out"
            : run.truncated ? "too much output"
                            : "failed");
        return false;
    }
    m_last = ParseNmcliWifiList(run.output);
    for (const NmAccessPoint& ap : m_last) {
        out.push_back(ap.point);
    }
    return true;
}

std::string NmWifiProvider::StoredKey(const std::string& connection) {
    if (connection.empty()) {
        return {};
    }
    const ChildOutput run =
        RunForOutput(m_nmcli,
                     {"-s", "-g", "802-11-wireless-security.psk,802-11-wireless-security.wep-key0",
                      "connection", "show", "id", connection},
                     kQueryTimeoutMs, 4096);
    if (!run.started || run.timedOut || run.exitCode != 0) {
        return {};
    }
    // One line per field (-g: values only, escaped as in terse output).
    size_t start = 0;
    while (start < run.output.size()) {
        size_t end = run.output.find('\n', start);
        if (end == std::string::npos) {
            end = run.output.size();
        }
        const std::vector<std::string> f =
            SplitNmcliTerse(std::string_view(run.output).substr(start, end - start));
        start = end + 1;
        for (const std::string& field : f) {
            if (!field.empty()) {
                return field;
            }
        }
    }
    return {};
}

WifiServiceState NmWifiProvider::ServiceState() {
    return NmServiceState(NmcliAt(m_nmcli, kQueryTimeoutMs));
}

std::string NmWifiProvider::CurrentNetwork() {
    return NmCurrentNetwork(NmcliAt(m_nmcli, kQueryTimeoutMs));
}

bool NmWifiProvider::Join(const WifiJoinRequest& request, std::string* error) {
    // The key file goes to the user's own runtime folder (mode 0700) when
    // there is one; the file itself is 0600 and removed after the join.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder = runtime && *runtime == '/' ? runtime : "/tmp";
    return NmJoinNetwork(request, NmcliAt(m_nmcli, kNmcliJoinTimeoutMs), folder, error);
}

bool NmWifiProvider::DeleteFixedProfile(const std::string& ssid) {
    std::string error;
    const int deleted = NmDeleteOwnConnections(ssid, NmcliAt(m_nmcli, kQueryTimeoutMs), &error);
    if (deleted < 0) {
        Log(LogLevel::kWarning, "wifi", "the connection made for \"%s\" was not removed: %s",
            ssid.c_str(), error.c_str());
    }
    return deleted > 0;
}

int NmWifiProvider::WaitForAddressChange(uint32_t timeoutMs) {
    return WaitForIpv4AddressChange(timeoutMs);
}

namespace {

// True when an interface that is up (and running, with `running`), has an
// IPv4 address and passes `match`.
template <typename Match>
bool AnyIpv4Interface(bool running, Match match) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return false;
    }
    bool found = false;
    for (const ifaddrs* it = list; it && !found; it = it->ifa_next) {
        if (!it->ifa_addr || it->ifa_addr->sa_family != AF_INET || !it->ifa_name) {
            continue;
        }
        const unsigned flags = it->ifa_flags;
        if (!(flags & IFF_UP) || (running && !(flags & IFF_RUNNING))) {
            continue;
        }
        found = match(it->ifa_name, flags);
    }
    freeifaddrs(list);
    return found;
}

}  // namespace

bool NmWifiProvider::AdapterHasAddress(const std::string& interfaceName) {
    if (interfaceName.empty()) {
        return false;
    }
    return AnyIpv4Interface(false,
                            [&](const char* name, unsigned) { return interfaceName == name; });
}

bool NmWifiProvider::ConnectedThroughLan() {
    return AnyIpv4Interface(
        true, [](const char*, unsigned flags) { return (flags & IFF_LOOPBACK) == 0; });
}

}  // namespace platform
