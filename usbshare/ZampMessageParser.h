// Decodes the bodies of the receiver's ZAMP messages that carry devices.
//
// Input is one whole message as ZampFrameReader hands it out (header first).
// Every count is checked against its limit and every entry against the end of
// the message before it is read; a message that breaks a rule is rejected with
// a reason and yields nothing.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "usbshare/UsbDeviceRecord.h"

namespace zamp {

// Device-list reply (0x0005): a u32 count at offset 20, then per device the
// record, a u32 interface count and that many interface entries.
bool ParseDeviceList(std::span<const uint8_t> message, std::vector<ZampDeviceEntry>* devices,
                     std::string* why);

// Export request (0x8008): the record at offset 20, an unread u32, then as
// many interface entries as the record's bNumInterfaces.
bool ParseExportRequest(std::span<const uint8_t> message, ZampDeviceEntry* device,
                        std::string* why);

// Unexport request (0x8009): the record at offset 20.
bool ParseUnexportRequest(std::span<const uint8_t> message, UsbDeviceRecord* record,
                          std::string* why);

}  // namespace zamp
