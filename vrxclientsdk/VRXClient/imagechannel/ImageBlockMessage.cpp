#include "vrxclientsdk/VRXClient/imagechannel/ImageBlockMessage.h"

#include <cassert>
#include <cstring>
#include <new>

#include "platform/byte_order.h"
#include "vrxclientsdk/VRXClient/imagechannel/ImageBlockWire.h"

namespace {

// Stores big-endian at `p` and returns the position after the value.
inline uint8_t* Put16(uint8_t* p, uint32_t v) {
    platform::PutU16BE(p, static_cast<uint16_t>(v));
    return p + 2;
}

inline uint8_t* Put32(uint8_t* p, uint32_t v) {
    platform::PutU32BE(p, v);
    return p + 4;
}

}  // namespace

static_assert(ibwire::kHeaderBytes == 46 && ibwire::kTrailerBytes == 42);

bool ImageBlockMessage::Reserve(size_t maxEncoded) {
    const size_t need = ibwire::kOverheadBytes + maxEncoded;
    if (m_buffer.size() < need) {
        try {
            m_buffer.resize(need);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    m_capacity = m_buffer.size() - ibwire::kOverheadBytes;
    return true;
}

uint32_t ImageBlockMessage::CheckValue(const ImageBlockFields& f) {
    return static_cast<uint32_t>(f.x1) + static_cast<uint32_t>(f.y1) + static_cast<uint32_t>(f.x2) +
           static_cast<uint32_t>(f.y2) + f.rawSize;
}

void ImageBlockMessage::Finish(const ImageBlockFields& f, uint32_t encodedLength) {
    assert(encodedLength <= m_capacity);
    static_assert(kEncodedOffset == ibwire::kHeaderBytes);
    FrameAt(EncodedArea(), f, encodedLength);
    m_size = ibwire::kOverheadBytes + encodedLength;
}

uint8_t* ImageBlockMessage::FrameAt(uint8_t* coded, const ImageBlockFields& f,
                                    uint32_t encodedLength) {
    uint8_t* const message = coded - ibwire::kHeaderBytes;
    uint8_t* p = message;
    std::memcpy(p, ibwire::kMagic, sizeof ibwire::kMagic);
    p += sizeof ibwire::kMagic;
    *p++ = f.bitsPerPixel;
    *p++ = static_cast<uint8_t>(f.encoding == ibwire::kEncodingJpeg ||
                                        f.encoding == ibwire::kEncodingH264
                                    ? f.encoding
                                    : ibwire::kEncodingLzo);
    *p++ = 0;
    p = Put32(p, f.et);
    p = Put16(p, static_cast<uint32_t>(f.x1) & 0xFFFF);
    p = Put16(p, static_cast<uint32_t>(f.y1) & 0xFFFF);
    p = Put16(p, static_cast<uint32_t>(f.x2) & 0xFFFF);
    p = Put16(p, static_cast<uint32_t>(f.y2) & 0xFFFF);
    p = Put32(p, f.rawSize);
    p = Put32(p, CheckValue(f));
    p = Put32(p, f.rawSize);
    p = Put32(p, encodedLength);
    std::memcpy(p, ibwire::kBodyMark, sizeof ibwire::kBodyMark);
    p += sizeof ibwire::kBodyMark;
    Put32(p, ibwire::kVersionStamp);

    uint8_t* t = coded + encodedLength;
    t = Put32(t, f.serial);
    *t++ = f.split;
    t = Put16(t, f.fsn);
    t = Put16(t, f.ftot);
    std::memset(t, 0, ibwire::kTrailerZeroBytes);
    t += ibwire::kTrailerZeroBytes;
    std::memcpy(t, ibwire::kTail, sizeof ibwire::kTail);
    return message;
}
