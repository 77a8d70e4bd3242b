#include "vrxclientsdk/VRPClient/DevAnnounce.h"

#include "platform/byte_order.h"

#include <cstring>

namespace {

// Protocol versions 294 to 297 carry bytes 78 to 87 that later versions
// define differently; those bytes are not trusted and are cleared.
constexpr uint16_t kClearFirstVersion = 0x126;
constexpr uint16_t kClearLastVersion = 0x129;
constexpr uint8_t kFlagBitCleared = 0x80;

}  // namespace

bool DevAnnounce::HasMagic() const {
    return std::memcmp(bytes + kMagicOffset, "QKPP", 4) == 0;
}

uint32_t DevAnnounce::GetIPv4() const {
    uint32_t ip = 0;
    std::memcpy(&ip, bytes + kIPv4Offset, sizeof ip);
    return ip;
}

void DevAnnounce::SetIPv4(uint32_t networkOrder) {
    std::memcpy(bytes + kIPv4Offset, &networkOrder, sizeof networkOrder);
}

uint16_t DevAnnounce::GetProtocolVersion() const {
    return platform::GetU16BE(bytes + kVersionOffset);
}

uint16_t DevAnnounce::HostU16(size_t offset) const {
    uint16_t value = 0;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

std::string DevAnnounce::BoundedText(size_t offset, size_t size) const {
    const char* begin = reinterpret_cast<const char*>(bytes + offset);
    const void* zero = std::memchr(begin, 0, size);
    const size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - begin) : size;
    return std::string(begin, length);
}

void DevAnnounceToHost(DevAnnounce& record) {
    for (size_t offset : {DevAnnounce::kCommandPortOffset, DevAnnounce::kImagePortOffset,
                          DevAnnounce::kVideoPortOffset, DevAnnounce::kFourthPortOffset}) {
        const uint16_t host = platform::GetU16BE(record.bytes + offset);
        std::memcpy(record.bytes + offset, &host, sizeof host);
    }
    const uint16_t version = record.GetProtocolVersion();
    if (version >= kClearFirstVersion && version <= kClearLastVersion) {
        record.bytes[DevAnnounce::kFlagOffset] &= static_cast<uint8_t>(~kFlagBitCleared);
        std::memset(record.bytes + DevAnnounce::kClearedOffset, 0, DevAnnounce::kClearedSize);
    }
}
