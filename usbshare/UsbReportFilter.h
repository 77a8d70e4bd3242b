// Repairs the interrupt reports of one device on endpoint 0x81 that come
// back broken from some receivers.
//
// Once a device has sent the 2-byte report 08 80, later 2-byte reports that
// break that pattern are replaced by 08 80, and 29-byte reports that start
// with 08 but not 08 80 are zeroed; replies with a non-zero status on that
// endpoint are flagged too. One filter per device: what one device sent
// never changes the reports of another.
#pragma once

#include <cstdint>
#include <span>

#include "usbshare/UsbIpHeader.h"

namespace usbip {

class UsbReportFilter {
public:
    // Looks at one reply with its body (to be written to the bus) and
    // repairs the body in place. True when the reply was flagged.
    bool Filter(const UsbIpHeader& reply, uint8_t endpoint, std::span<uint8_t> body);

private:
    bool m_seenPattern = false;
};

}  // namespace usbip
