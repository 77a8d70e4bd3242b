// The virtual USB bus over Linux's vhci-hcd (the kernel's USB/IP host
// controller).
//
// Plugging a device in hands the kernel one end of a stream socket pair
// through the controller's sysfs "attach" file; a VhciStreamPump then
// carries and translates the device's traffic between that socket and the
// handle's message descriptor. Unplugging writes the port to "detach".
// Create() gives nullptr when the controller is not there (module not
// loaded). Ports are shared by all handles of one bus object.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "usbshare/VirtualUsbBus.h"

namespace usbip {

class VhciStreamPump;

class VhciUsbBus final : public VirtualUsbBus {
public:
    static constexpr const char* kController = "/sys/devices/platform/vhci_hcd.0";

    // The bus of the controller in `controllerDir` (its status, attach and
    // detach files), or nullptr when it has no status file.
    static std::unique_ptr<VhciUsbBus> Create(const std::string& controllerDir = kController);
    ~VhciUsbBus() override;

    std::unique_ptr<VirtualUsbBusHandle> Open() override;

private:
    friend class VhciBusHandle;
    explicit VhciUsbBus(std::string dir);

    bool ReadPorts(PortTable* table);
    // Plugs in; the handle's message descriptor, or -1.
    int PlugIn(const PlugInRecord& record);
    int Unplug(int port);

    struct Plugged {
        int kernelFd = -1;  // our copy of the end the kernel holds
        int streamFd = -1;  // the pump's end of the stream
        int pumpFd = -1;    // the pump's end of the handle's message pair
        std::unique_ptr<VhciStreamPump> pump;
    };
    void Release(Plugged& plugged);

    const std::string m_dir;
    std::mutex m_lock;
    std::map<int, Plugged> m_plugged;  // by bus port; guarded by m_lock
};

}  // namespace usbip
