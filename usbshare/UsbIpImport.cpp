#include "usbshare/UsbIpImport.h"

#include <algorithm>

#include "usbshare/ByteOrder.h"
#include "usbshare/ZampHeader.h"

namespace usbip {

std::array<uint8_t, kImportRequestSize> BuildImportRequest(const std::string& busId) {
    std::array<uint8_t, kImportRequestSize> out{};
    zamp::ZampHeader h;
    h.code = kCodeImport;
    h.length = 36;
    h.Encode(std::span<uint8_t, zamp::kHeaderSize>(out.data(), zamp::kHeaderSize));
    zamp::StoreLe32(out.data() + 20, 1);
    const size_t n = std::min(busId.size(), zamp::kBusIdSize - 1);
    std::copy_n(busId.begin(), n, out.begin() + 24);
    return out;
}

bool ParseImportReply(std::span<const uint8_t, kImportReplySize> reply, const std::string& busId,
                      zamp::UsbDeviceRecord* record, std::string* why) {
    *record = zamp::UsbDeviceRecord::Decode(reply.subspan<24, zamp::kDeviceRecordSize>());
    if (record->busId != busId) {
        *why = "recv different busid " + record->busId;
        return false;
    }
    return true;
}

}  // namespace usbip
