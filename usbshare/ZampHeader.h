// The 20-byte header that starts every message of the ZAMP command channel.
//
// Plain value type with explicit little-endian encode and decode; it knows
// nothing about sockets or the messages that follow the header.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "usbshare/ZampProtocol.h"

namespace zamp {

struct ZampHeader {
    uint16_t version = kVersion;
    uint16_t code = 0;
    uint32_t status = 0;
    uint32_t reserved = 0;
    uint32_t length = 0;

    // Writes the header into the first kHeaderSize bytes of `out`.
    void Encode(std::span<uint8_t, kHeaderSize> out) const;
    std::array<uint8_t, kHeaderSize> Encode() const;

    // Reads a header; false when the magic is not "zamp" (the other fields are
    // then unspecified). The version is not judged here.
    static bool Decode(std::span<const uint8_t, kHeaderSize> in, ZampHeader* out);
};

// The name of a code as the log shows it, or nullptr for a code we don't know.
const char* CodeLogName(uint16_t code);

}  // namespace zamp
