// The virtual USB bus on which shared devices appear to this PC's operating
// system: the platform seam of the USB/IP forwarding.
//
// A handle is what an open of the bus driver gives: it reads the port table,
// plugs a device into a port, starts and finishes detaching a port, and,
// once it has plugged a device, carries that device's USB/IP traffic on a
// message socket (SOCK_SEQPACKET): each read returns one request (header, OUT
// data, isochronous descriptors), each write hands back one reply, and the
// size of the next request can be seen before it is read. Words are little-endian on
// this side. Implementations: an adapter over the system's bus, and the
// in-memory bus of the tests.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace usbip {

// Byte 0: the highest port in use; byte p (1 to 127): non-zero when port p is
// in use.
constexpr size_t kPortTableSize = 128;
using PortTable = std::array<uint8_t, kPortTableSize>;

// What a plug-in tells the bus about the device (16 bytes on the wire).
struct PlugInRecord {
    uint32_t devid = 0;  // busnum * 65536 + devnum
    uint16_t idVendor = 0;
    uint16_t idProduct = 0;
    uint16_t bcdDevice = 0;
    uint8_t speed = 0;
    uint8_t numInterfaces = 0;
    uint8_t interfaceClass = 0;  // of the first interface
    uint8_t interfaceSubClass = 0;
    uint8_t interfaceProtocol = 0;
    uint8_t port = 0;

    std::array<uint8_t, 16> Encode() const;
};

class VirtualUsbBusHandle {
public:
    virtual ~VirtualUsbBusHandle() = default;

    // Reads the whole port table; false when the bus does not answer with
    // all 128 bytes.
    virtual bool GetPortsStatus(PortTable* table) = 0;
    // Plugs the device in at record.port; from then on Fd() carries its
    // traffic. 0, or -1.
    virtual int PlugIn(const PlugInRecord& record) = 0;
    // Tells the bus that `port` is going: it stops issuing requests for it.
    // Bounded. 0, or -1.
    virtual int StartDetach(int port) = 0;
    // Unplugs `port`. Bounded: a bus that does not finish in time gives -1.
    virtual int Unplug(int port) = 0;
    // The plugged device's traffic (a pollable message socket), or -1 before
    // PlugIn.
    virtual int Fd() const = 0;
};

class VirtualUsbBus {
public:
    virtual ~VirtualUsbBus() = default;
    // Opens a new handle; nullptr when the bus is not available.
    virtual std::unique_ptr<VirtualUsbBusHandle> Open() = 0;
};

}  // namespace usbip
