// Relays one device's USB/IP traffic between the virtual bus and its data
// connection to the receiver, until told to stop or either side fails.
//
// Requests read from the bus are checked (their size must match their
// header), recorded and sent whole; replies read from the socket find their
// request, are repaired by the device's report filter, and are written to the
// bus whole; a reply that matches no request is read and dropped. On the way
// out every request still open is completed on the bus with status -108.
// Failures end this device's relay only and are marked on the device (its
// socket or bus side); the session's state is only read. Runs on the
// device's forwarding thread; every wait also watches the stop signal. Its
// buffers grow with the traffic, up to kMaxMessageSize each.
#pragma once

#include <cstdint>
#include <vector>

#include "usbshare/UsbIpRequestTracker.h"
#include "usbshare/UsbReportFilter.h"
#include "usbshare/VirtualUsbBus.h"
#include "usbshare/ZampLinkState.h"

class CZAMPDevice;

namespace usbip {

class UsbIpRelay {
public:
    // Everything given must outlive Run.
    UsbIpRelay(CZAMPDevice& device, porvane::ZampLinkState& link, int socketFd,
               VirtualUsbBusHandle& bus, int port, int stopFd);

    // The relay loop; returns when stopped, when the session's quit flag is
    // set, or after a failure (flags on the device and the link say which).
    void Run();

private:
    bool OnBusReadable();
    bool OnSocketReadable();
    bool WriteBus(const uint8_t* data, size_t len, bool honourStop);
    void CompletePending();

    CZAMPDevice& m_device;
    porvane::ZampLinkState& m_link;
    const int m_socket;
    VirtualUsbBusHandle& m_bus;
    const int m_port;
    const int m_stopFd;
    std::vector<uint8_t> m_request;  // one request from the bus; grows on demand
    std::vector<uint8_t> m_reply;    // one reply for the bus: header, then body
    UsbIpRequestTracker m_tracker;
    UsbReportFilter m_filter;
};

}  // namespace usbip
