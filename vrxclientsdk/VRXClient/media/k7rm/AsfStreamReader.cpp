#include "vrxclientsdk/VRXClient/media/k7rm/AsfStreamReader.h"

#include <cstring>

namespace {

using Guid = unsigned char[16];

// Object identifiers as they stand in the stream.
constexpr Guid kHeaderObject = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kDataObject = {0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                              0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kFilePropertiesObject = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                        0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};

// Header Object: GUID, u64 size, u32 object count, two reserved bytes.
constexpr size_t kHeaderObjectFixed = 30;
// Any object: GUID and u64 size.
constexpr size_t kObjectFixed = 24;
// File Properties Object: minimum and maximum data packet size.
constexpr size_t kMinPacketSizeAt = 92;
constexpr size_t kMaxPacketSizeAt = 96;
// Taken bytes are dropped from the buffer once they exceed this much.
constexpr size_t kCompactAt = 256 * 1024;

uint64_t ReadLe(const char* p, size_t bytes) {
    uint64_t v = 0;
    for (size_t i = 0; i < bytes; ++i) {
        v |= static_cast<uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    }
    return v;
}

bool IsGuid(const char* p, const Guid& guid) {
    return std::memcmp(p, guid, sizeof guid) == 0;
}

}  // namespace

void AsfStreamReader::Feed(std::string_view bytes) {
    if (Failed()) {
        return;
    }
    m_buffer.append(bytes);
    if (!HasHeader()) {
        ParseHeader();
    }
}

void AsfStreamReader::ParseHeader() {
    if (Available() < kHeaderObjectFixed) {
        return;
    }
    const char* p = m_buffer.data() + m_offset;
    if (!IsGuid(p, kHeaderObject)) {
        return Fail("the stream does not start with an ASF header");
    }
    const uint64_t headerSize = ReadLe(p + 16, 8);
    if (headerSize < kHeaderObjectFixed || headerSize + kDataObjectStart > kMaxChunkPayload) {
        return Fail("ASF header size out of range");
    }
    const size_t total = static_cast<size_t>(headerSize) + kDataObjectStart;
    if (Available() < total) {
        return;
    }
    if (!IsGuid(p + headerSize, kDataObject)) {
        return Fail("no data object after the ASF header");
    }
    // Walk the header's objects for the packet size.
    uint32_t packetSize = 0;
    size_t at = kHeaderObjectFixed;
    while (at + kObjectFixed <= headerSize) {
        const uint64_t size = ReadLe(p + at + 16, 8);
        if (size < kObjectFixed || size > headerSize - at) {
            return Fail("ASF header object size out of range");
        }
        if (IsGuid(p + at, kFilePropertiesObject) && size >= kMaxPacketSizeAt + 4) {
            const auto minimum = static_cast<uint32_t>(ReadLe(p + at + kMinPacketSizeAt, 4));
            const auto maximum = static_cast<uint32_t>(ReadLe(p + at + kMaxPacketSizeAt, 4));
            if (minimum != maximum) {
                return Fail("ASF packets of varying size");
            }
            packetSize = minimum;
        }
        at += static_cast<size_t>(size);
    }
    if (packetSize == 0 || packetSize > kMaxChunkPayload) {
        return Fail("ASF packet size missing or out of range");
    }
    m_packetSize = packetSize;
    m_header.assign(p, total);
    m_offset += total;
}

bool AsfStreamReader::NextPacket(std::string& packet) {
    if (Failed() || !HasHeader() || Available() < m_packetSize) {
        Compact();
        return false;
    }
    packet.assign(m_buffer, m_offset, m_packetSize);
    m_offset += m_packetSize;
    return true;
}

void AsfStreamReader::Compact() {
    if (m_offset >= kCompactAt || m_offset == m_buffer.size()) {
        m_buffer.erase(0, m_offset);
        m_offset = 0;
    }
}
