// The network adapters as the self-check needs them: each IPv4 interface
// with its first address, its default gateway and its DHCP server.
//
// Addresses come from getifaddrs, gateways from the kernel's routing table
// (/proc/net/route), the DHCP server from NetworkManager (nmcli) or, when it
// does not manage the interface, from systemd-networkd's lease file. A
// statically configured interface has no DHCP server.
// THREADING: any thread; the system provider runs nmcli (blocks up to a few
// seconds per interface).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct CheckAdapter {
    std::string name;        // interface name
    std::string address;     // dotted IPv4, empty when none
    std::string gateway;     // dotted IPv4, empty when none
    std::string dhcpServer;  // dotted IPv4, empty when none
};

class AdapterProvider {
public:
    virtual ~AdapterProvider() = default;
    // The adapters in the system's order, loopback left out.
    virtual std::vector<CheckAdapter> ListAdapters() = 0;
};

// Reads the real interfaces.
class SystemAdapterProvider final : public AdapterProvider {
public:
    std::vector<CheckAdapter> ListAdapters() override;
};

// --- The readers, on the text of their sources (tests feed recorded text) --
// Interface -> default gateway from /proc/net/route (first default route of
// each interface; hexadecimal fields in host order).
std::map<std::string, std::string> ParseDefaultGateways(std::string_view routeTable);
// The DHCP server of `nmcli -t -f DHCP4 device show IFACE`, empty if none.
std::string ParseNmcliDhcpServer(std::string_view output);
// SERVER_ADDRESS of a systemd-networkd lease file, empty if none.
std::string ParseNetworkdLeaseServer(std::string_view lease);

}  // namespace platform
