#include "usbshare/VhciStatus.h"

#include <charconv>
#include <sstream>

namespace usbip {

std::vector<VhciPort> ParseVhciStatus(const std::string& text) {
    std::vector<VhciPort> ports;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::string hub;
        std::string devid;
        VhciPort p;
        if (!(in >> hub >> p.port >> p.state >> p.speed >> devid) || (hub != "hs" && hub != "ss")) {
            continue;  // the title line, or something else
        }
        p.superSpeedHub = hub == "ss";
        const auto [end, error] =
            std::from_chars(devid.data(), devid.data() + devid.size(), p.devid, 16);
        if (error != std::errc() || end != devid.data() + devid.size()) {
            continue;
        }
        ports.push_back(p);
    }
    return ports;
}

PortTable ToPortTable(const std::vector<VhciPort>& ports) {
    PortTable table{};
    int busPort = 0;
    for (const VhciPort& p : ports) {
        if (p.superSpeedHub) {
            continue;
        }
        if (++busPort >= static_cast<int>(kPortTableSize)) {
            break;
        }
        if (p.state != kVhciStateFree) {
            table[static_cast<size_t>(busPort)] = 1;
            table[0] = static_cast<uint8_t>(busPort);
        }
    }
    // Ports the controller lacks count as used, so none is ever chosen.
    for (int q = busPort + 1; q < static_cast<int>(kPortTableSize); ++q) {
        table[static_cast<size_t>(q)] = 1;
    }
    return table;
}

int ControllerPort(const std::vector<VhciPort>& ports, int busPort) {
    int n = 0;
    for (const VhciPort& p : ports) {
        if (!p.superSpeedHub && ++n == busPort) {
            return p.port;
        }
    }
    return -1;
}

}  // namespace usbip
