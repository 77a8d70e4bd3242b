// The seam between the command channel and the per-device USB/IP forwarding.
//
// The control object lists devices and decides when each is attached,
// detached and terminated; a DeviceForwarder does the work: it runs one
// forwarding thread per device (data connection to the receiver, import,
// virtual bus port, relay) and reports outcomes through the session's
// callback (codes 2, 6, 7, 14, 15). The forwarder owns those threads; every
// one of them is joined by TerminateDevice at the latest.
#pragma once

#include <memory>

class CZAMPDevice;

namespace porvane {

class DeviceForwarder {
public:
    virtual ~DeviceForwarder() = default;

    // Starts forwarding `device` on a thread of its own and returns at once.
    // A device in state 14 was asked for by the receiver.
    virtual void StartAttachDeviceThread(const std::shared_ptr<CZAMPDevice>& device) = 0;

    // Stops forwarding and unplugs the device, within a bounded time. 0 when
    // nothing was to be done or the unplug worked, else negative.
    virtual int DetachDevice(CZAMPDevice& device) = 0;

    // Ends the device's forwarding for good: joins its thread and frees what
    // it holds. Idempotent.
    virtual void TerminateDevice(CZAMPDevice& device) = 0;

    // Logs each port of the virtual bus as used or idle; the number of used
    // ports, or -1 when the bus can't be asked.
    virtual int ShowPortStatus() = 0;
};

}  // namespace porvane
