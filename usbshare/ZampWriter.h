// Builds the messages that Porvane sends on the ZAMP command channel: the
// header-only requests and the 21-byte keep-alive reply.
#pragma once

#include <array>
#include <cstdint>

#include "usbshare/ZampProtocol.h"

namespace zamp {

// A request that is a header alone (status 0, length 0): info, bind,
// unbind and device list.
std::array<uint8_t, kHeaderSize> BuildRequest(uint16_t code);

// The keep-alive reply: header with code 0x0099, status 0, length 1, then
// the byte 1.
std::array<uint8_t, kKeepAliveReplySize> BuildKeepAliveReply();

}  // namespace zamp
