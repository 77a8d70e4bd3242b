// Operations on the virtual bus that the forwarding and the control object
// share: finding a free port, showing the ports, plugging a device in from its
// USB/IP record. Each logs what it does.
#pragma once

#include "usbshare/UsbDeviceRecord.h"
#include "usbshare/VirtualUsbBus.h"

namespace usbip {

// The first free port from 1 to 127, or -1 (none free, or no table).
int GetFreePort(VirtualUsbBusHandle& handle);

// Logs each port up to the highest in use as used or idle; the number of used
// ports, or -1 when the table can't be read.
int ShowPortStatus(VirtualUsbBusHandle& handle);

// The plug-in record of a device for `port`.
PlugInRecord MakePlugInRecord(const zamp::UsbDeviceRecord& record,
                              const zamp::UsbInterfaceEntry& firstInterface, int port);

// Plugs the device in at `port`. 0, or -1.
int AttachToBus(VirtualUsbBusHandle& handle, const zamp::UsbDeviceRecord& record,
                const zamp::UsbInterfaceEntry& firstInterface, int port);

}  // namespace usbip
