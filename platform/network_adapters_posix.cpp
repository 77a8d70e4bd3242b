#include "platform/network_adapters.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/child_output.h"

namespace platform {
namespace {

constexpr const char* kNmcli = "/usr/bin/nmcli";
constexpr uint32_t kNmcliTimeoutMs = 3000;

std::string Dotted(in_addr a) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

// A dotted IPv4 text, checked; empty when it is not one.
std::string CheckedAddress(std::string_view text) {
    std::string s(text);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\t')) {
        s.pop_back();
    }
    size_t first = s.find_first_not_of(" \t");
    s = first == std::string::npos ? std::string() : s.substr(first);
    in_addr a{};
    return ::inet_pton(AF_INET, s.c_str(), &a) == 1 ? s : std::string();
}

std::string ReadSmallFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        return {};
    }
    std::string text(64 * 1024, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

}  // namespace

std::map<std::string, std::string> ParseDefaultGateways(std::string_view routeTable) {
    std::map<std::string, std::string> out;
    std::istringstream in{std::string(routeTable)};
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string iface, destination, gateway, flags;
        if (!(fields >> iface >> destination >> gateway >> flags)) {
            continue;
        }
        unsigned long dest = 0, gw = 0, fl = 0;
        char* end = nullptr;
        dest = std::strtoul(destination.c_str(), &end, 16);
        if (*end != '\0') {
            continue;
        }
        gw = std::strtoul(gateway.c_str(), &end, 16);
        if (*end != '\0' || gateway.size() != 8) {
            continue;
        }
        fl = std::strtoul(flags.c_str(), &end, 16);
        // RTF_UP 0x1, RTF_GATEWAY 0x2.
        if (dest != 0 || gw == 0 || (fl & 0x3) != 0x3 || out.count(iface)) {
            continue;
        }
        in_addr a{};
        a.s_addr = static_cast<in_addr_t>(gw);  // the table holds network order
        out[iface] = Dotted(a);
    }
    return out;
}

std::string ParseNmcliDhcpServer(std::string_view output) {
    // "DHCP4.OPTION[7]:dhcp_server_identifier = 192.168.1.1"
    constexpr std::string_view kName = "dhcp_server_identifier";
    std::istringstream in{std::string(output)};
    std::string line;
    while (std::getline(in, line)) {
        const size_t at = line.find(kName);
        if (at == std::string::npos) {
            continue;
        }
        const size_t eq = line.find('=', at + kName.size());
        if (eq != std::string::npos) {
            return CheckedAddress(std::string_view(line).substr(eq + 1));
        }
    }
    return {};
}

std::string ParseNetworkdLeaseServer(std::string_view lease) {
    std::istringstream in{std::string(lease)};
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("SERVER_ADDRESS=", 0) == 0) {
            return CheckedAddress(std::string_view(line).substr(15));
        }
    }
    return {};
}

std::vector<CheckAdapter> SystemAdapterProvider::ListAdapters() {
    std::vector<CheckAdapter> out;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return out;
    }
    for (ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP) ||
            (i->ifa_flags & IFF_LOOPBACK)) {
            continue;
        }
        bool known = false;
        for (const CheckAdapter& a : out) {
            known = known || a.name == i->ifa_name;
        }
        if (known) {
            continue;  // its first address only
        }
        CheckAdapter a;
        a.name = i->ifa_name;
        a.address = Dotted(reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr);
        out.push_back(std::move(a));
    }
    ::freeifaddrs(list);

    const auto gateways = ParseDefaultGateways(ReadSmallFile("/proc/net/route"));
    const bool haveNmcli = ::access(kNmcli, X_OK) == 0;
    for (CheckAdapter& a : out) {
        if (auto g = gateways.find(a.name); g != gateways.end()) {
            a.gateway = g->second;
        }
        if (haveNmcli) {
            const ChildOutput run =
                RunForOutput(kNmcli, {"-t", "-f", "DHCP4", "device", "show", a.name},
                             kNmcliTimeoutMs, 64 * 1024);
            if (run.exitCode == 0) {
                a.dhcpServer = ParseNmcliDhcpServer(run.output);
            }
        }
        if (a.dhcpServer.empty()) {
            const unsigned index = ::if_nametoindex(a.name.c_str());
            if (index != 0) {
                a.dhcpServer = ParseNetworkdLeaseServer(
                    ReadSmallFile("/run/systemd/netif/leases/" + std::to_string(index)));
            }
        }
    }
    return out;
}

}  // namespace platform
