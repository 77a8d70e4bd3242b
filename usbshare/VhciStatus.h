// The port table of Linux's vhci-hcd, read from its sysfs status files.
//
// Each status file has a title line and one line per port:
//   "hs  0000 004 000 00000000 000000 0-0"
// (hub, port, state, speed, devid, socket, local bus id). State 4 is a free
// port. This system's bus ports 1 to 127 are the high-speed ports of the
// controller in order: bus port p is the p-th "hs" line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "usbshare/VirtualUsbBus.h"

namespace usbip {

struct VhciPort {
    bool superSpeedHub = false;
    int port = 0;  // the controller's port number
    int state = 0;
    int speed = 0;
    uint32_t devid = 0;
};

constexpr int kVhciStateFree = 4;

// Parses the lines of one or more status files; lines that do not parse are
// skipped.
std::vector<VhciPort> ParseVhciStatus(const std::string& text);

// This system's port table from the controller's ports.
PortTable ToPortTable(const std::vector<VhciPort>& ports);

// The controller's port number behind bus port `busPort`, or -1.
int ControllerPort(const std::vector<VhciPort>& ports, int busPort);

}  // namespace usbip
