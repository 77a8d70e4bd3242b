#include "usbshare/ZampWriter.h"

#include "usbshare/ZampHeader.h"

namespace zamp {

std::array<uint8_t, kHeaderSize> BuildRequest(uint16_t code) {
    ZampHeader h;
    h.code = code;
    return h.Encode();
}

std::array<uint8_t, kKeepAliveReplySize> BuildKeepAliveReply() {
    ZampHeader h;
    h.code = kRepKeepAlive;
    h.length = 1;
    std::array<uint8_t, kKeepAliveReplySize> bytes{};
    h.Encode(std::span<uint8_t, kHeaderSize>(bytes.data(), kHeaderSize));
    bytes[kHeaderSize] = 1;
    return bytes;
}

}  // namespace zamp
