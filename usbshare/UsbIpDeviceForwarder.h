// Forwards shared devices over USB/IP: for each device a thread that opens
// its data connection to the receiver (port 3240), imports it by bus id,
// plugs it into a free port of the virtual bus, relays its traffic
// (UsbIpRelay), and unplugs it at the end. Outcomes go to the session's
// callback (codes 2, 6, 7, 14, 15); a relay that ends on its own while the
// session is sound is a lost device connection (code 7).
//
// The forwarder owns the threads: DetachDevice stops one and joins it;
// TerminateDevice, and the destructor for all, make sure none is left.
// Methods may be called from any thread except a device's own forwarding
// thread. Detaching, terminating and restarting one device happen one at a
// time (each device has its own lock, under which its thread is joined), so
// a detach that meets another waits for it and then has nothing left to do.
#pragma once

#include <boost/thread/thread.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "usbshare/DeviceForwarder.h"
#include "usbshare/StopSignal.h"
#include "usbshare/VirtualUsbBus.h"
#include "usbshare/ZampLinkState.h"

namespace usbip {

struct ForwarderTimings {
    uint32_t connectTimeoutMs = 5000;
    // The import reply must come within this time.
    uint32_t importReplyMs = 5000;
};

class UsbIpDeviceForwarder final : public porvane::DeviceForwarder {
public:
    // `link` and `bus` must outlive the forwarder; `bus` may be null (no bus
    // on this system: every import fails).
    UsbIpDeviceForwarder(porvane::ZampLinkState& link, VirtualUsbBus* bus,
                         std::string dataService = "3240", ForwarderTimings timings = {});
    ~UsbIpDeviceForwarder() override;

    void StartAttachDeviceThread(const std::shared_ptr<CZAMPDevice>& device) override;
    int DetachDevice(CZAMPDevice& device) override;
    void TerminateDevice(CZAMPDevice& device) override;
    int ShowPortStatus() override;

private:
    // What one device's forwarding holds.
    struct Session {
        std::shared_ptr<CZAMPDevice> device;
        StopSignal stop;
        // Held by whoever detaches, terminates or restarts the device.
        std::mutex control;
        boost::thread thread;  // set and joined under `control`
        int socket = -1;       // owned by the thread while it runs
    };

    void AttachDevice(Session& session);
    // Import and plug-in; the bus handle, or nullptr on failure.
    std::unique_ptr<VirtualUsbBusHandle> ImportDevice(Session& session);
    std::shared_ptr<Session> Find(const CZAMPDevice& device);
    // The lock that serialises work on `device`: its session's, or, for a
    // device never started, the forwarder's own.
    std::unique_lock<std::mutex> LockDevice(const std::shared_ptr<Session>& session);
    // Stops and joins the session's thread; the caller holds its control.
    void StopAndJoin(Session& session);
    int DetachLocked(CZAMPDevice& device, Session* session);

    porvane::ZampLinkState& m_link;
    VirtualUsbBus* const m_bus;
    const std::string m_service;
    const ForwarderTimings m_timings;

    std::mutex m_plugLock;       // held from choosing a port until the plug-in
    std::mutex m_unstartedLock;  // serialises work on devices without a session
    std::mutex m_lock;
    std::map<const CZAMPDevice*, std::shared_ptr<Session>> m_sessions;  // guarded by m_lock
};

}  // namespace usbip
