// Loads and stores of unsigned integers in big-endian (network) and
// little-endian byte order, at any alignment, and appends to byte strings.
//
// The wire formats of the receiver, the image files and the simulators all go
// through these; nothing here knows a format. Pure functions, any thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

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
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

inline uint16_t GetU16LE(const void* at) {
    auto* p = static_cast<const uint8_t*>(at);
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t GetU32LE(const void* at) {
    auto* p = static_cast<const uint8_t*>(at);
    return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// Appends the bytes of `v` to a std::string or std::vector of bytes, most
// significant first (BE) or last (LE).
template <typename Bytes, typename Unsigned>
void AppendBE(Bytes& out, Unsigned v) {
    for (size_t i = sizeof v; i-- > 0;) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

template <typename Bytes, typename Unsigned>
void AppendLE(Bytes& out, Unsigned v) {
    for (size_t i = 0; i < sizeof v; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

// The widths by name, so that a literal argument cannot pick the width.
template <typename Bytes>
void AppendU16BE(Bytes& out, uint16_t v) {
    AppendBE(out, v);
}
template <typename Bytes>
void AppendU32BE(Bytes& out, uint32_t v) {
    AppendBE(out, v);
}
template <typename Bytes>
void AppendU16LE(Bytes& out, uint16_t v) {
    AppendLE(out, v);
}
template <typename Bytes>
void AppendU32LE(Bytes& out, uint32_t v) {
    AppendLE(out, v);
}

}  // namespace platform
