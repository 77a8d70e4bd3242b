#include "usbshare/UsbIpHeader.h"

#include <cstring>

#include "usbshare/ByteOrder.h"

namespace usbip {

UsbIpHeader UsbIpHeader::Decode(std::span<const uint8_t, kHeaderSize> in) {
    const uint8_t* p = in.data();
    UsbIpHeader h;
    h.command = zamp::LoadLe32(p);
    h.seqnum = zamp::LoadLe32(p + 4);
    h.devid = zamp::LoadLe32(p + 8);
    h.direction = zamp::LoadLe32(p + 12);
    h.ep = zamp::LoadLe32(p + 16);
    h.status = static_cast<int32_t>(zamp::LoadLe32(p + 20));
    h.transferLength = zamp::LoadLe32(p + 24);
    h.startFrame = zamp::LoadLe32(p + 28);
    h.numberOfPackets = zamp::LoadLe32(p + 32);
    std::memcpy(h.rest.data(), p + 36, h.rest.size());
    return h;
}

std::array<uint8_t, kHeaderSize> UsbIpHeader::Encode() const {
    std::array<uint8_t, kHeaderSize> out{};
    uint8_t* p = out.data();
    zamp::StoreLe32(p, command);
    zamp::StoreLe32(p + 4, seqnum);
    zamp::StoreLe32(p + 8, devid);
    zamp::StoreLe32(p + 12, direction);
    zamp::StoreLe32(p + 16, ep);
    zamp::StoreLe32(p + 20, static_cast<uint32_t>(status));
    zamp::StoreLe32(p + 24, transferLength);
    zamp::StoreLe32(p + 28, startFrame);
    zamp::StoreLe32(p + 32, numberOfPackets);
    std::memcpy(p + 36, rest.data(), rest.size());
    return out;
}

uint64_t RequestSize(const UsbIpHeader& request) {
    const uint64_t size = kHeaderSize + (request.IsOut() ? uint64_t{request.transferLength} : 0) +
                          uint64_t{kIsoDescriptorSize} * request.numberOfPackets;
    return size > kMaxMessageSize ? 0 : size;
}

uint64_t ReplyBodySize(const UsbIpHeader& reply) {
    return uint64_t{reply.transferLength} + uint64_t{kIsoDescriptorSize} * reply.numberOfPackets;
}

}  // namespace usbip
