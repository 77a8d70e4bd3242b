#include "usbshare/VbusControl.h"

#include "usbshare/ByteOrder.h"
#include "usbshare/ZampLog.h"

namespace usbip {

std::array<uint8_t, 16> PlugInRecord::Encode() const {
    std::array<uint8_t, 16> out{};
    zamp::StoreLe32(out.data(), devid);
    zamp::StoreLe16(out.data() + 4, idVendor);
    zamp::StoreLe16(out.data() + 6, idProduct);
    zamp::StoreLe16(out.data() + 8, bcdDevice);
    out[10] = speed;
    out[11] = numInterfaces;
    out[12] = interfaceClass;
    out[13] = interfaceSubClass;
    out[14] = interfaceProtocol;
    out[15] = port;
    return out;
}

int GetFreePort(VirtualUsbBusHandle& handle) {
    WriteLog("get free port\n");
    PortTable table{};
    if (!handle.GetPortsStatus(&table)) {
        WriteLog("usbip_vbus_get_ports_status has error.\n");
        return -1;
    }
    for (int port = 1; port < static_cast<int>(kPortTableSize); ++port) {
        if (table[static_cast<size_t>(port)] == 0) {
            WriteLog("port:%d\n", port);
            return port;
        }
    }
    return -1;
}

int ShowPortStatus(VirtualUsbBusHandle& handle) {
    PortTable table{};
    if (!handle.GetPortsStatus(&table)) {
        WriteLog("usbip_vbus_get_ports_status has error.\n");
        return -1;
    }
    WriteLog("max used port:%d\n", table[0]);
    int used = 0;
    for (size_t port = 1; port <= table[0] && port < kPortTableSize; ++port) {
        WriteLog(table[port] ? "port %d: used\n" : "port %d: idle\n", static_cast<int>(port));
        used += table[port] != 0;
    }
    return used;
}

PlugInRecord MakePlugInRecord(const zamp::UsbDeviceRecord& record,
                              const zamp::UsbInterfaceEntry& firstInterface, int port) {
    PlugInRecord r;
    r.devid = (record.busnum << 16) | (record.devnum & 0xffff);
    r.idVendor = record.idVendor;
    r.idProduct = record.idProduct;
    r.bcdDevice = record.bcdDevice;
    r.speed = static_cast<uint8_t>(record.speed);
    r.numInterfaces = record.bNumInterfaces;
    r.interfaceClass = firstInterface.interfaceClass;
    r.interfaceSubClass = firstInterface.interfaceSubClass;
    r.interfaceProtocol = firstInterface.interfaceProtocol;
    r.port = static_cast<uint8_t>(port);
    return r;
}

int AttachToBus(VirtualUsbBusHandle& handle, const zamp::UsbDeviceRecord& record,
                const zamp::UsbInterfaceEntry& firstInterface, int port) {
    const PlugInRecord r = MakePlugInRecord(record, firstInterface, port);
    WriteLog("usbip_vbus_attach_device port %d\n", port);
    WriteLog("Vendor:%04x, Product:%04x\n", r.idVendor, r.idProduct);
    WriteLog("Port=%d, Devid=%u, version=%04x, speed=%04x, numinterface=%d\n", port, r.devid,
             r.bcdDevice, r.speed, r.numInterfaces);
    WriteLog("InterfaceClass:%04x, InterfaceSubClass:%04x, InterfaceProtocol:%04x\n",
             r.interfaceClass, r.interfaceSubClass, r.interfaceProtocol);
    if (handle.PlugIn(r) != 0) {
        WriteLog("IOCTL_USBVBUS_PLUGIN_HARDWARE failed\n");
        return -1;
    }
    return 0;
}

}  // namespace usbip
