// The 48-byte USB/IP header as it travels between the virtual bus and the
// receiver's data connection (TCP port 3240), and the sizes derived from it.
//
// In this system every word of the header is little-endian, on the bus side
// and on the wire alike, so requests and replies pass through unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace usbip {

constexpr size_t kHeaderSize = 48;
// One isochronous packet descriptor after the data.
constexpr size_t kIsoDescriptorSize = 16;
// No request or reply may be larger (the relay's buffers).
constexpr size_t kMaxMessageSize = 10'000'000;

// Commands read from the bus.
constexpr uint32_t kCmdSubmit = 1;
constexpr uint32_t kCmdUnlink = 2;
// A reply's command word has 0x58 in its highest byte; a request is
// recorded with the command its reply will carry.
constexpr uint8_t kReplyMark = 0x58;
constexpr uint32_t kRetSubmit = 0x58850003;  // 1485111299
constexpr uint32_t kRetUnlink = 0x58850004;  // 1485111300

// Status of a request completed because its device went away (-ESHUTDOWN).
constexpr int32_t kStatusShutdown = -108;

struct UsbIpHeader {
    uint32_t command = 0;
    uint32_t seqnum = 0;
    uint32_t devid = 0;
    uint32_t direction = 0;  // 0 host-to-device (OUT), else device-to-host (IN)
    uint32_t ep = 0;
    int32_t status = 0;
    uint32_t transferLength = 0;
    uint32_t startFrame = 0;
    uint32_t numberOfPackets = 0;
    std::array<uint8_t, 12> rest{};

    static UsbIpHeader Decode(std::span<const uint8_t, kHeaderSize> in);
    std::array<uint8_t, kHeaderSize> Encode() const;

    bool IsOut() const { return direction == 0; }
    // An unlink request carries, where a submit's status is, the seqnum of
    // the request it unlinks.
    uint32_t UnlinkSeqnum() const { return static_cast<uint32_t>(status); }
    // The endpoint as the report filter sees it (low byte, plus 0x80 for IN).
    uint8_t EndpointAddress() const {
        return static_cast<uint8_t>((ep & 0x7f) | (IsOut() ? 0 : 0x80));
    }
};

// Size of a request read from the bus: header, the data of an OUT transfer,
// and the isochronous descriptors. 0 when it would pass kMaxMessageSize.
uint64_t RequestSize(const UsbIpHeader& request);

// Size of the body after a reply's header when the reply carries data
// (transfer length and isochronous descriptors).
uint64_t ReplyBodySize(const UsbIpHeader& reply);

}  // namespace usbip
