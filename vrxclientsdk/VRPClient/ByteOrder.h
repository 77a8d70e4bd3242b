// Reading and writing big- and little-endian integers in byte strings.
#pragma once

#include <cstddef>
#include <cstdint>

namespace byteorder {

inline void PutU16BE(void* at, uint16_t v) {
    auto* p = static_cast<uint8_t*>(at);
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}
inline void PutU32BE(void* at, uint32_t v) {
    auto* p = static_cast<uint8_t*>(at);
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}
inline void PutU16LE(void* at, uint16_t v) {
    auto* p = static_cast<uint8_t*>(at);
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32LE(void* at, uint32_t v) {
    auto* p = static_cast<uint8_t*>(at);
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
inline uint16_t GetU16BE(const void* at) {
    auto* p = static_cast<const uint8_t*>(at);
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
inline uint32_t GetU32BE(const void* at) {
    auto* p = static_cast<const uint8_t*>(at);
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}
inline uint16_t GetU16LE(const void* at) {
    auto* p = static_cast<const uint8_t*>(at);
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace byteorder
