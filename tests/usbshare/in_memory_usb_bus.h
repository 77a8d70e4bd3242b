// The virtual USB bus of the tests. It plays this PC's operating system: a
// test submits USB/IP requests on a plugged port as a host would, and reads
// back the replies the forwarding writes, to check them. Each plugged port is
// a message socket pair: one request or reply per message, like the bus
// driver's reads and writes. It can also misbehave: refuse to be opened, show
// every port used, let an unplug run out of time, or hold start-detaches back.
#pragma once

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "usbshare/UsbIpHeader.h"
#include "usbshare/VirtualUsbBus.h"

namespace porvane_test {

class InMemoryUsbBus final : public usbip::VirtualUsbBus {
public:
    ~InMemoryUsbBus() override;

    std::unique_ptr<usbip::VirtualUsbBusHandle> Open() override;

    // Faults.
    void SetAvailable(bool available) { m_available = available; }
    void SetAllPortsUsed(bool used) { m_allUsed = used; }
    void SetUnplugTimesOut(bool timesOut) { m_unplugTimesOut = timesOut; }
    // While held, a start-detach is noted and then waits until released
    // (the forwarding it ends can't finish meanwhile).
    void SetStartDetachHeld(bool held);

    // Waits until `n` devices have been plugged in (in all); the ports in
    // plug-in order.
    std::vector<int> WaitForPlugIns(size_t n, int timeoutMs = 10000);
    // Waits until `call` has been seen `n` times in all.
    bool WaitForCalls(const std::string& call, size_t n, int timeoutMs = 10000);
    usbip::PlugInRecord Record(int port);
    bool IsPlugged(int port);
    // Calls seen, in order: "plug 1", "start-detach 1", "unplug 1".
    std::vector<std::string> Calls();

    // The host side of a plugged port.
    bool Submit(int port, const usbip::UsbIpHeader& header, const std::vector<uint8_t>& data = {});
    // Sends raw bytes as one request (for malformed ones).
    bool SubmitRaw(int port, const std::vector<uint8_t>& bytes);
    // Reads one reply within `timeoutMs`; false on time-out or when the port
    // is gone.
    bool ReadReply(int port, usbip::UsbIpHeader* header, std::vector<uint8_t>* body,
                   int timeoutMs = 10000);

private:
    friend class InMemoryBusHandle;
    struct Port {
        int hostFd = -1;  // stays open after the unplug, for replies still unread
        bool plugged = false;
        usbip::PlugInRecord record;
    };
    int PlugIn(const usbip::PlugInRecord& record, int* deviceFd);
    int Unplug(int port);
    int StartDetach(int port);
    void Note(const std::string& call);
    int HostFd(int port);

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::map<int, Port> m_ports;  // every port plugged so far
    std::vector<int> m_plugOrder;
    std::vector<std::string> m_calls;
    std::atomic<bool> m_available{true};
    std::atomic<bool> m_allUsed{false};
    std::atomic<bool> m_unplugTimesOut{false};
    bool m_startDetachHeld = false;  // guarded by m_lock
};

}  // namespace porvane_test
