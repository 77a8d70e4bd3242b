// The import exchange that opens a device's data connection (port 3240): the
// 56-byte request naming the bus id, and the 336-byte reply carrying the
// device record.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "usbshare/UsbDeviceRecord.h"

namespace usbip {

constexpr uint16_t kCodeImport = 0x8003;
constexpr size_t kImportRequestSize = 56;
constexpr size_t kImportReplySize = 336;
constexpr const char* kDataService = "3240";

// ZAMP header (code 0x8003, length 36), the word 1, then the bus id in 32
// bytes whose last byte is always 0.
std::array<uint8_t, kImportRequestSize> BuildImportRequest(const std::string& busId);

// Reads the device record at offset 24 of the reply. False (with a reason)
// when the record's bus id is not `busId`.
bool ParseImportReply(std::span<const uint8_t, kImportReplySize> reply, const std::string& busId,
                      zamp::UsbDeviceRecord* record, std::string* why);

}  // namespace usbip
