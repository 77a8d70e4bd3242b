// The forwarder used while no virtual USB bus is available on this system:
// every attach fails at once, as it does when the bus driver is missing, and
// is reported with code 15 (a device the receiver asked for) or 6.
#pragma once

#include "usbshare/DeviceForwarder.h"
#include "usbshare/ZampLinkState.h"

namespace porvane {

class NoBusDeviceForwarder final : public DeviceForwarder {
public:
    // `link` must outlive the forwarder.
    explicit NoBusDeviceForwarder(const ZampLinkState& link) : m_link(link) {}

    void StartAttachDeviceThread(const std::shared_ptr<CZAMPDevice>& device) override;
    int DetachDevice(CZAMPDevice& device) override;
    void TerminateDevice(CZAMPDevice& device) override;
    int ShowPortStatus() override;

private:
    const ZampLinkState& m_link;
};

}  // namespace porvane
