#include "usbshare/UsbDeviceRecord.h"

#include <cstring>

#include "usbshare/ByteOrder.h"

namespace zamp {

std::string BoundedText(std::span<const uint8_t> field) {
    if (field.empty()) {
        return {};
    }
    // The last byte never counts, so an unterminated field is cut short.
    const size_t limit = field.size() - 1;
    const void* nul = std::memchr(field.data(), 0, limit);
    const size_t len =
        nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - field.data()) : limit;
    return std::string(reinterpret_cast<const char*>(field.data()), len);
}

UsbDeviceRecord UsbDeviceRecord::Decode(std::span<const uint8_t, kDeviceRecordSize> in) {
    const uint8_t* p = in.data();
    UsbDeviceRecord r;
    r.path = BoundedText(in.subspan(0, kPathSize));
    r.busId = BoundedText(in.subspan(kPathSize, kBusIdSize));
    p += kPathSize + kBusIdSize;  // 288
    r.busnum = LoadLe32(p);
    r.devnum = LoadLe32(p + 4);
    r.speed = LoadLe32(p + 8);
    r.idVendor = LoadLe16(p + 12);
    r.idProduct = LoadLe16(p + 14);
    r.bcdDevice = LoadLe16(p + 16);
    r.bDeviceClass = p[18];
    r.bDeviceSubClass = p[19];
    r.bDeviceProtocol = p[20];
    r.bConfigurationValue = p[21];
    r.bNumConfigurations = p[22];
    r.bNumInterfaces = p[23];
    return r;
}

UsbInterfaceEntry DecodeInterfaceEntry(std::span<const uint8_t, kInterfaceEntrySize> in) {
    return UsbInterfaceEntry{in[0], in[1], in[2]};
}

bool ZampDeviceEntry::HasUnsupportedInterface() const {
    for (const UsbInterfaceEntry& i : interfaces) {
        if (i.interfaceClass == kClassAudio || i.interfaceClass == kClassAudioVideo) {
            return true;
        }
    }
    return false;
}

}  // namespace zamp
