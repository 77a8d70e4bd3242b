#include "usbshare/DeviceRecordLog.h"

#include <cstdio>

#include "usbshare/ZampLog.h"

namespace porvane {

// This system carries no USB name database, so every name is "unknown".
std::string ClassTripleText(uint8_t cls, uint8_t subclass, uint8_t protocol) {
    char text[128];
    if (cls == 0 && subclass == 0 && protocol == 0) {
        std::snprintf(text, sizeof text, "(Defined at Interface level) (%02x/%02x/%02x)", 0, 0, 0);
    } else {
        std::snprintf(text, sizeof text, "%s / %s / %s (%02x/%02x/%02x)", "unknown class",
                      "unknown subclass", "unknown protocol", cls, subclass, protocol);
    }
    return text;
}

void LogDeviceRecord(const zamp::UsbDeviceRecord& r) {
    const char* bus = r.busId.c_str();
    char text[256];
    std::snprintf(text, sizeof text, "%s : %s (%04x:%04x)", "unknown vendor", "unknown product",
                  r.idVendor, r.idProduct);
    WriteLog("    busid(%8s: %s)\n", bus, text);
    WriteLog("    path(%8s: %s)\n", bus, r.path.c_str());
    WriteLog("    class name(%8s: %s)\n", bus,
             ClassTripleText(r.bDeviceClass, r.bDeviceSubClass, r.bDeviceProtocol).c_str());
    std::snprintf(text, sizeof text, "%s / %s / %s / %s (%02x/%02x/%02x/%02x)",
                  "unknown bDeviceProtocol", "unknown bConfigurationValue",
                  "unknown bNumConfigurations", "unknown bNumInterfaces", r.bDeviceProtocol,
                  r.bConfigurationValue, r.bNumConfigurations, r.bNumInterfaces);
    WriteLog("    other name(%8s: %s)\n", bus, text);
}

void LogInterfaces(const zamp::ZampDeviceEntry& entry) {
    int index = 0;
    for (const zamp::UsbInterfaceEntry& i : entry.interfaces) {
        WriteLog(
            "%8s: %2d - %s\n", entry.record.busId.c_str(), index++,
            ClassTripleText(i.interfaceClass, i.interfaceSubClass, i.interfaceProtocol).c_str());
    }
}

}  // namespace porvane
