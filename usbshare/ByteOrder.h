// Little-endian loads and stores for wire buffers, under the names the
// USB-sharing code uses. The receiver's channel is little-endian on every
// machine; the shared byte-order routines assemble values byte by byte.
#pragma once

#include <cstdint>

#include "platform/byte_order.h"

namespace zamp {

inline uint16_t LoadLe16(const uint8_t* p) {
    return platform::GetU16LE(p);
}
inline uint32_t LoadLe32(const uint8_t* p) {
    return platform::GetU32LE(p);
}
inline void StoreLe16(uint8_t* p, uint16_t v) {
    platform::PutU16LE(p, v);
}
inline void StoreLe32(uint8_t* p, uint32_t v) {
    platform::PutU32LE(p, v);
}

}  // namespace zamp
