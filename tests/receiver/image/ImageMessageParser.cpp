#include "tests/receiver/image/ImageMessageParser.h"

#include "platform/byte_order.h"

#include <cstring>

namespace receiver {
namespace {

constexpr uint32_t kVersionStamp = 20070810;

}  // namespace

void ImageMessageParser::Append(const uint8_t* data, size_t size) {
    if (m_read > 0 && m_read == m_buffer.size()) {
        m_buffer.clear();
        m_read = 0;
    } else if (m_read > (1u << 20)) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<ptrdiff_t>(m_read));
        m_read = 0;
    }
    m_buffer.insert(m_buffer.end(), data, data + size);
}

ImageMessageParser::Item ImageMessageParser::Fail(std::string reason) {
    if (m_error.empty()) {
        m_error = std::move(reason);
    }
    return Item::kError;
}

ImageMessageParser::Item ImageMessageParser::Next() {
    if (!m_error.empty()) {
        return Item::kError;
    }
    const uint8_t* p = m_buffer.data() + m_read;
    const size_t have = m_buffer.size() - m_read;
    if (m_expectSenderId) {
        if (have < kSenderIdBytes) {
            return Item::kNeedMore;
        }
        if (std::memcmp(p, "SenderId", 8) != 0) {
            return Fail("stream does not begin with the SenderId record");
        }
        for (size_t i = 12; i < kSenderIdBytes; ++i) {
            if (p[i] != 0) {
                return Fail("SenderId record: byte " + std::to_string(i) + " is not zero");
            }
        }
        std::memcpy(m_key.data(), p + 8, 4);
        m_read += kSenderIdBytes;
        m_expectSenderId = false;
        return Item::kSenderId;
    }
    if (have < kImageHeaderBytes) {
        return Item::kNeedMore;
    }
    if (std::memcmp(p, "KIRSOIB", 7) != 0) {
        return Fail("bad magic");
    }
    ImageBlockHeader h;
    h.bitsPerPixel = p[7];
    h.encoding = p[8];
    h.et = platform::GetU32BE(p + 10);
    h.x1 = platform::GetU16BE(p + 14);
    h.y1 = platform::GetU16BE(p + 16);
    h.x2 = platform::GetU16BE(p + 18);
    h.y2 = platform::GetU16BE(p + 20);
    h.rawSize = platform::GetU32BE(p + 22);
    h.check = platform::GetU32BE(p + 26);
    h.length = platform::GetU32BE(p + 34);
    if (h.bitsPerPixel != 16 && h.bitsPerPixel != 32) {
        return Fail("bits per pixel " + std::to_string(h.bitsPerPixel));
    }
    if (h.encoding != 2 && h.encoding != 4 && h.encoding != 7) {
        return Fail("encoding " + std::to_string(h.encoding));
    }
    if (p[9] != 0) {
        return Fail("byte 9 is not zero");
    }
    if (h.x2 < h.x1 || h.y2 < h.y1) {
        return Fail("empty rectangle");
    }
    const uint64_t raw = uint64_t{h.bitsPerPixel} * static_cast<uint64_t>(h.Width()) *
                         static_cast<uint64_t>(h.Height()) / 8;
    if (h.rawSize != raw) {
        return Fail("raw size " + std::to_string(h.rawSize) + ", rectangle gives " +
                    std::to_string(raw));
    }
    if (platform::GetU32BE(p + 30) != h.rawSize) {
        return Fail("second raw size differs");
    }
    const uint32_t check = uint32_t{h.x1} + h.y1 + h.x2 + h.y2 + h.rawSize;
    if (h.check != check) {
        return Fail("check value " + std::to_string(h.check) + ", expected " +
                    std::to_string(check));
    }
    if (std::memcmp(p + 38, "VSMK", 4) != 0) {
        return Fail("no VSMK");
    }
    if (platform::GetU32BE(p + 42) != kVersionStamp) {
        return Fail("bad version stamp");
    }
    if (h.length == 0 || h.length > kMaxEncodedBytes) {
        return Fail("encoded length " + std::to_string(h.length));
    }
    const size_t total = kImageHeaderBytes + h.length + kImageTrailerBytes;
    if (have < total) {
        return Item::kNeedMore;
    }
    const uint8_t* t = p + kImageHeaderBytes + h.length;
    h.serial = platform::GetU32BE(t);
    h.split = t[4];
    h.fsn = platform::GetU16BE(t + 5);
    h.ftot = platform::GetU16BE(t + 7);
    for (size_t i = 9; i < 36; ++i) {
        if (t[i] != 0) {
            return Fail("trailer byte " + std::to_string(i) + " is not zero");
        }
    }
    if (std::memcmp(t + 36, "IBTAIL", 6) != 0) {
        return Fail("no IBTAIL");
    }
    if (m_continued && m_lastSerial == 0) {
        // the first message on a re-opened connection
    } else if (h.serial == 1 && m_lastSerial != 0) {
        ++m_restarts;  // the sender started a new projection on this connection
    } else if (h.serial != m_lastSerial + 1) {
        return Fail("serial " + std::to_string(h.serial) + " after " +
                    std::to_string(m_lastSerial));
    }
    if (h.ftot == 0 || h.fsn == 0 || h.fsn > h.ftot) {
        return Fail("fragment " + std::to_string(h.fsn) + " of " + std::to_string(h.ftot));
    }
    m_lastSerial = h.serial;
    m_header = h;
    m_payload = p + kImageHeaderBytes;
    m_read += total;
    return Item::kMessage;
}

}  // namespace receiver
