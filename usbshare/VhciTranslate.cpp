#include "usbshare/VhciTranslate.h"

#include <algorithm>

#include "usbshare/ByteOrder.h"
#include "usbshare/UsbIpHeader.h"

namespace usbip {
namespace {

// Words 0 to 9 of the header are numbers; bytes 40 to 47 are the setup packet.
constexpr size_t kHeaderWords = 10;

uint32_t LoadBe32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

void SwapWords(uint8_t* p, size_t words) {
    for (size_t i = 0; i < words; ++i, p += 4) {
        std::swap(p[0], p[3]);
        std::swap(p[1], p[2]);
    }
}

// The isochronous descriptors are the last 16 bytes per packet of a whole
// message (after any data). Needs the header in this channel's order.
bool DescriptorSpan(std::span<const uint8_t> message, size_t* offset, size_t* count) {
    const UsbIpHeader h =
        UsbIpHeader::Decode(std::span<const uint8_t, kHeaderSize>(message.data(), kHeaderSize));
    const uint16_t command = h.command & 0xffff;
    const uint64_t packets = (command == kCmdSubmit || command == 3) ? h.numberOfPackets : 0;
    const uint64_t descriptors = uint64_t{kIsoDescriptorSize} * packets;
    if (kHeaderSize + descriptors > message.size()) {
        return false;
    }
    *offset = static_cast<size_t>(message.size() - descriptors);
    *count = static_cast<size_t>(packets);
    return true;
}

}  // namespace

uint64_t KernelRequestSize(std::span<const uint8_t, 48> header) {
    const uint8_t* p = header.data();
    const uint32_t command = LoadBe32(p);
    if (command == kCmdUnlink) {
        return kHeaderSize;
    }
    if (command != kCmdSubmit) {
        return 0;
    }
    const bool out = LoadBe32(p + 12) == 0;
    const uint64_t size = kHeaderSize + (out ? uint64_t{LoadBe32(p + 24)} : 0) +
                          uint64_t{kIsoDescriptorSize} * LoadBe32(p + 32);
    return size > kMaxMessageSize ? 0 : size;
}

void RequestFromKernel(std::span<uint8_t> message) {
    if (message.size() < kHeaderSize) {
        return;
    }
    SwapWords(message.data(), kHeaderWords);
    size_t offset = 0;
    size_t count = 0;
    if (DescriptorSpan(message, &offset, &count)) {
        SwapWords(message.data() + offset, count * 4);
    }
}

bool ReplyToKernel(std::span<uint8_t> message) {
    if (message.size() < kHeaderSize) {
        return false;
    }
    size_t offset = 0;
    size_t count = 0;
    if (!DescriptorSpan(message, &offset, &count)) {
        return false;
    }
    zamp::StoreLe32(message.data(), zamp::LoadLe32(message.data()) & 0xffff);
    SwapWords(message.data() + offset, count * 4);
    SwapWords(message.data(), kHeaderWords);
    return true;
}

}  // namespace usbip
