// One image-block message, built in place: the encoder writes its output
// straight into EncodedArea(), then Finish() writes the header and the
// trailer around it. The buffer is sized once by Reserve() and reused for
// every message, so building a message allocates nothing. FrameAt() does
// the same around coded bytes that already lie in another buffer (a block
// coded into the channel's queue).
//
// Owned and used by one thread (the channel's encode thread).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The fields of one message, with the rectangle already moved by the
// channel's offsets (and mirrored for bottom-up blocks). Coordinates are
// full integers: the wire takes their low 16 bits, the check value their sum.
struct ImageBlockFields {
    uint8_t bitsPerPixel = 32;
    int encoding = 4;
    uint32_t et = 0;
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    uint32_t rawSize = 0;
    uint32_t serial = 0;
    uint8_t split = 128;
    uint16_t fsn = 1, ftot = 1;
};

class ImageBlockMessage {
public:
    // Makes room for up to `maxEncoded` bytes of encoded data. Allocates only
    // when the room grows; false when it cannot.
    bool Reserve(size_t maxEncoded);

    uint8_t* EncodedArea() { return m_buffer.data() + kEncodedOffset; }
    size_t EncodedCapacity() const { return m_capacity; }

    // Writes header and trailer around the first `encodedLength` bytes of
    // EncodedArea(); encodedLength must not exceed EncodedCapacity().
    void Finish(const ImageBlockFields& fields, uint32_t encodedLength);

    const uint8_t* Data() const { return m_buffer.data(); }
    size_t Size() const { return m_size; }

    // Writes the header into the kHeaderBytes before `coded` and the trailer
    // after its `encodedLength` bytes; returns where the message starts
    // (`coded` - kHeaderBytes). Its size is kOverheadBytes + encodedLength.
    static uint8_t* FrameAt(uint8_t* coded, const ImageBlockFields& fields, uint32_t encodedLength);

    // x1 + y1 + x2 + y2 + raw size, modulo 2^32.
    static uint32_t CheckValue(const ImageBlockFields& fields);

private:
    static constexpr size_t kEncodedOffset = 46;
    std::vector<uint8_t> m_buffer;
    size_t m_capacity = 0;
    size_t m_size = 0;
};
