// The chunk framing of MMS over HTTP, as the server writes it.
//
// Each chunk: type (u16: "$H" header, "$D" data packet), length (u16: the
// payload plus the 8 bytes that follow it), sequence number (u32), two
// flag bytes, the length again, then the payload. Little-endian throughout.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

constexpr uint16_t kMmshHeaderChunk = 0x4824;  // "$H"
constexpr uint16_t kMmshDataChunk = 0x4424;    // "$D"
// Flags of a header chunk: it starts the stream and carries the whole header.
constexpr uint16_t kMmshHeaderFlags = 0x0C00;

// Appends one chunk to `out`. The payload must fit the 16-bit length
// (AsfStreamReader::kMaxChunkPayload).
inline void AppendMmshChunk(std::string& out, uint16_t type, uint32_t sequence, uint16_t flags,
                            std::string_view payload) {
    const auto length = static_cast<uint16_t>(payload.size() + 8);
    const unsigned char head[12] = {
        static_cast<unsigned char>(type),           static_cast<unsigned char>(type >> 8),
        static_cast<unsigned char>(length),         static_cast<unsigned char>(length >> 8),
        static_cast<unsigned char>(sequence),       static_cast<unsigned char>(sequence >> 8),
        static_cast<unsigned char>(sequence >> 16), static_cast<unsigned char>(sequence >> 24),
        static_cast<unsigned char>(flags),          static_cast<unsigned char>(flags >> 8),
        static_cast<unsigned char>(length),         static_cast<unsigned char>(length >> 8),
    };
    out.append(reinterpret_cast<const char*>(head), sizeof head);
    out.append(payload);
}
