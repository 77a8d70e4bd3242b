// The USB/IP device record and interface entries as the receiver sends them.
//
// Decoding copies the fixed-size text fields with a bound, so a record from
// the network always yields terminated texts of at most 255 (path) and 31
// (bus id) characters.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "usbshare/ZampProtocol.h"

namespace zamp {

struct UsbInterfaceEntry {
    uint8_t interfaceClass = 0;
    uint8_t interfaceSubClass = 0;
    uint8_t interfaceProtocol = 0;
};

struct UsbDeviceRecord {
    std::string path;
    std::string busId;
    uint32_t busnum = 0;
    uint32_t devnum = 0;
    uint32_t speed = 0;
    uint16_t idVendor = 0;
    uint16_t idProduct = 0;
    uint16_t bcdDevice = 0;
    uint8_t bDeviceClass = 0;
    uint8_t bDeviceSubClass = 0;
    uint8_t bDeviceProtocol = 0;
    uint8_t bConfigurationValue = 0;
    uint8_t bNumConfigurations = 0;
    uint8_t bNumInterfaces = 0;

    // Decodes kDeviceRecordSize bytes.
    static UsbDeviceRecord Decode(std::span<const uint8_t, kDeviceRecordSize> in);
};

UsbInterfaceEntry DecodeInterfaceEntry(std::span<const uint8_t, kInterfaceEntrySize> in);

// A text field of `field.size()` bytes up to its first NUL, never longer than
// field.size() - 1 characters.
std::string BoundedText(std::span<const uint8_t> field);

// A device as a device-list reply or an export request describes it.
struct ZampDeviceEntry {
    UsbDeviceRecord record;
    std::vector<UsbInterfaceEntry> interfaces;

    // True when an interface is of a class that cannot be shared (audio,
    // audio/video).
    bool HasUnsupportedInterface() const;
};

}  // namespace zamp
