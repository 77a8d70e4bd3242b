// Log lines that describe a USB device record and its interfaces, written
// when a device list or an export request arrives.
#pragma once

#include <string>

#include "usbshare/UsbDeviceRecord.h"

namespace porvane {

// "%s / %s / %s (%02x/%02x/%02x)" for a class triple, or the
// "(Defined at Interface level)" text when all three are 0.
std::string ClassTripleText(uint8_t cls, uint8_t subclass, uint8_t protocol);

// The four record lines (bus id, path, class, other values).
void LogDeviceRecord(const zamp::UsbDeviceRecord& record);

// One line per interface: bus id, index and class triple.
void LogInterfaces(const zamp::ZampDeviceEntry& entry);

}  // namespace porvane
