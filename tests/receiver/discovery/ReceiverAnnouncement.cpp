#include "tests/receiver/discovery/ReceiverAnnouncement.h"

#include "platform/byte_order.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>

namespace receiver_sim {
namespace {

void PutText(AnnouncementBytes& out, size_t offset, size_t size, const std::string& text) {
    std::memcpy(out.data() + offset, text.data(), std::min(size, text.size()));
}

}  // namespace

AnnouncementBytes ReceiverAnnouncement::Encode() const {
    AnnouncementBytes out{};
    std::memcpy(out.data(), "QKPP", 4);
    in_addr addr{};
    ::inet_pton(AF_INET, ipv4.c_str(), &addr);
    std::memcpy(out.data() + 4, &addr.s_addr, 4);
    platform::PutU16BE(&out[8], commandPort);
    platform::PutU16BE(&out[10], imagePort);
    platform::PutU16BE(&out[12], videoPort);
    platform::PutU16BE(&out[14], fourthPort);
    PutText(out, 16, 40, name);
    PutText(out, 56, 22, text);
    out[78] = flagByte;
    std::copy(flagTail.begin(), flagTail.end(), out.begin() + 79);
    platform::PutU16BE(&out[88], protocolVersion);
    out[97] = codeMode;
    PutText(out, 98, 20, description);
    out[118] = kind1;
    out[119] = kind2;
    return out;
}

}  // namespace receiver_sim
