// Splits an ASF byte stream, as an encoder writes it live, into its header
// and its fixed-size data packets.
//
// The header is the ASF Header Object followed by the 50-byte start of the
// Data Object: exactly what an MMS-over-HTTP "$H" chunk carries. Every data
// packet has the size named in the File Properties Object. Bytes are fed as
// they arrive; until a whole header or packet is there, the reader keeps
// them and reports nothing. Sizes are checked against the limits of the
// chunk framing before anything is allocated for them.
//
// Not a demultiplexer: the packets are passed on uninterpreted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class AsfStreamReader {
public:
    // The largest header and packet that one chunk (16-bit length, 8 bytes
    // of which are the chunk's own) can carry.
    static constexpr size_t kMaxChunkPayload = 0xFFFF - 8;
    // The start of the Data Object inside the header: GUID, size, file id,
    // packet count, two reserved bytes.
    static constexpr size_t kDataObjectStart = 50;

    // Appends bytes of the stream.
    void Feed(std::string_view bytes);

    // True once the header is complete; false also after a failure.
    bool HasHeader() const { return !m_header.empty(); }
    // The header (Header Object plus the start of the Data Object).
    const std::string& Header() const { return m_header; }
    uint32_t PacketSize() const { return m_packetSize; }

    // Takes the next whole packet; false when none is complete yet.
    bool NextPacket(std::string& packet);

    // True when the stream is not ASF or breaks a limit; the reason is in
    // Failure(). A failed reader takes nothing more.
    bool Failed() const { return !m_failure.empty(); }
    const std::string& Failure() const { return m_failure; }

private:
    void ParseHeader();
    void Fail(const char* reason) { m_failure = reason; }
    size_t Available() const { return m_buffer.size() - m_offset; }
    void Compact();

    std::string m_buffer;
    size_t m_offset = 0;  // bytes of m_buffer already taken
    std::string m_header;
    uint32_t m_packetSize = 0;
    std::string m_failure;
};
