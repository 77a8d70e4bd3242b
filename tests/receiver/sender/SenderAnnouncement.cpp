#include "tests/receiver/sender/SenderAnnouncement.h"

#include "platform/byte_order.h"

#include <algorithm>
#include <cstring>

namespace receiver_sim {

namespace {

uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
    return platform::GetU16BE(&b[at]);
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return platform::GetU32BE(&b[at]);
}

std::string Text(const std::vector<uint8_t>& b, size_t at, size_t size) {
    const auto begin = b.begin() + static_cast<long>(at);
    const auto end = std::find(begin, begin + static_cast<long>(size), 0);
    return std::string(begin, end);
}

bool AllZero(const std::vector<uint8_t>& b, size_t at, size_t size) {
    return std::all_of(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + size),
                       [](uint8_t v) { return v == 0; });
}

}  // namespace

bool SenderAnnouncement::Decode(const std::vector<uint8_t>& b, SenderAnnouncement* out,
                                std::string* error) {
    if (b.size() != kSize) {
        *error = "reply of " + std::to_string(b.size()) + " bytes, not 631";
        return false;
    }
    if (std::memcmp(b.data(), "QKPS", 4) != 0) {
        *error = "reply does not start with QKPS";
        return false;
    }
    out->announceWord = U32(b, 4);
    out->commandPort = U16(b, 8);
    out->imagePort = U16(b, 10);
    out->thirdPort = U16(b, 12);
    out->name = Text(b, 14, 40);
    out->maker = Text(b, 54, 7);
    out->platform = Text(b, 61, 40);
    out->version[0] = b[101];
    out->version[1] = b[102];
    out->noLoginCode = b[119];
    out->clientState = b[120];
    out->receiverAddress = U32(b, 122);
    out->reservedZero = AllZero(b, 103, 16) && b[121] == 0 && AllZero(b, 126, 505);
    return true;
}

}  // namespace receiver_sim
